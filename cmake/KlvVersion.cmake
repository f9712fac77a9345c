# klv_version: the header version.h, whose KLV90_VERSION is the project's version and the commit
# the programs are built from, e.g. "1.0 (commit 3a50f87c1d2e)". The commit is read at every build,
# not only at configure time, so a build after a new commit or an edit never shows an older one;
# the header is rewritten, and the programs recompiled, only when the text changes.
set(KLV_VERSION_HEADER ${CMAKE_BINARY_DIR}/generated/version.h)
add_custom_target(klv_version_header
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DVERSION=${PROJECT_VERSION}
            -DOUTPUT=${KLV_VERSION_HEADER} -P ${CMAKE_CURRENT_LIST_DIR}/WriteVersionHeader.cmake
    BYPRODUCTS ${KLV_VERSION_HEADER}
    COMMENT "Reading the commit for --version"
    VERBATIM)
add_library(klv_version INTERFACE)
target_include_directories(klv_version INTERFACE ${CMAKE_BINARY_DIR}/generated)
add_dependencies(klv_version klv_version_header)
