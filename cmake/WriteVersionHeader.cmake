# Writes OUTPUT, the version header, from VERSION and the commit SOURCE_DIR is checked out at
# (cmake -P; see KlvVersion.cmake). A tree with changes not committed says so; a source tree that
# is not a git checkout of its own (an unpacked archive) gives the version alone.
set(text "${VERSION}")
find_package(Git QUIET)
if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} rev-parse --show-toplevel
                    OUTPUT_VARIABLE top OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE failed ERROR_QUIET)
    # Inside another project's checkout, that project's commit would be no answer.
    if(NOT failed AND top)
        file(REAL_PATH "${top}" top)
        file(REAL_PATH "${SOURCE_DIR}" source)
    endif()
    if(NOT failed AND top STREQUAL source)
        execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} rev-parse --short=12 HEAD
                        OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE
                        RESULT_VARIABLE failed ERROR_QUIET)
        execute_process(COMMAND ${GIT_EXECUTABLE} --no-optional-locks -C ${SOURCE_DIR} status --porcelain
                                --untracked-files=no
                        OUTPUT_VARIABLE changes OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        if(NOT failed AND commit)
            if(changes)
                set(text "${VERSION} (commit ${commit}, modified)")
            else()
                set(text "${VERSION} (commit ${commit})")
            endif()
        endif()
    endif()
endif()
set(content "// Written at build time by cmake/WriteVersionHeader.cmake.\n#pragma once\n\n")
string(APPEND content "#define KLV90_VERSION \"${text}\"\n")
if(EXISTS "${OUTPUT}")
    file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL content)
    file(WRITE "${OUTPUT}" "${content}")
endif()
