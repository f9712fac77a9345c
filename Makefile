# make run    installs what is missing, builds and starts the tool
# make install  builds the programs (not the tests) and installs them with the menu entry, the
#               MIME type and the README into PREFIX (/usr/local unless given), under DESTDIR
#               when given; asks for sudo for the copying only, when that place is not yours
# make test   installs what is missing, builds and runs every test, then builds the tests again
#             with AddressSanitizer and UndefinedBehaviorSanitizer and runs them all there too
#
# make windows       the Windows package, cross-built here: build-windows/klv90-<version>-windows-x64.zip
#                    (the first run builds Qt for Windows into ~/.cache/klv90, once)
# make msi           the Windows installer: build-windows/klv90-<version>-x64.msi
# make windows-test  tries the package, the Windows tests and the installer under Wine on a virtual
#                    display
#
# make deb    the Debian package: build-release/packages/klv90_<version>_amd64.deb
# make dist   every release file into dist/: the .deb, the Windows zip and .msi, SHA256SUMS
BUILD_DIR ?= build
SANITIZE_DIR ?= build-sanitize
WINDOWS_DIR ?= build-windows
RELEASE_DIR ?= build-release
JOBS ?= $(shell nproc)
PREFIX ?= /usr/local
CTEST = QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

.PHONY: run install test build configure sanitize-build deps bench clean windows windows-test \
	windows-deps msi deb dist dist-deps

# Only the tool and the libraries it links; `make build` and `make test` build the rest.
run: configure
	@cmake --build $(BUILD_DIR) --target klv90
	@$(BUILD_DIR)/bin/klv90

install: configure
	@cmake --build $(BUILD_DIR) --target installed_programs
	@DESTDIR="$(DESTDIR)" tools/install-build $(BUILD_DIR) "$(PREFIX)"

test: build sanitize-build
	@echo "== tests"
	@cd $(BUILD_DIR) && $(CTEST)
	@echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
	@cd $(SANITIZE_DIR) && $(CTEST)

bench: build
	@cmake --build $(BUILD_DIR) --target bench

build: configure
	@cmake --build $(BUILD_DIR)

configure: deps
	@[ -f $(BUILD_DIR)/build.ninja ] || \
		cmake -S . -B $(BUILD_DIR) -G Ninja -DKLV_WERROR=ON >/dev/null

sanitize-build: deps
	@[ -f $(SANITIZE_DIR)/build.ninja ] || \
		cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKLV_WERROR=ON \
			-DKLV_SANITIZE=ON >/dev/null
	@cmake --build $(SANITIZE_DIR)

deps:
	@tools/install-deps

windows: windows-deps
	@qt="$$(nice tools/windows/build-qt)" && \
	{ [ -f $(WINDOWS_DIR)/build.ninja ] || \
		"$$qt/bin/qt-cmake" -S . -B $(WINDOWS_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release \
			-DKLV_WERROR=ON -DCMAKE_CROSSCOMPILING_EMULATOR=wine >/dev/null; } && \
	nice cmake --build $(WINDOWS_DIR) && \
	tools/windows/package $(WINDOWS_DIR) "$$qt"

msi: windows
	@tools/windows/make-msi $(WINDOWS_DIR)

windows-test: windows
	@xvfb-run -a -s '-screen 0 1280x1024x24' sh -c 'tools/windows/test-wine "$$1" "$$2" && \
		tools/windows/test-msi "$$1" "$$2"' sh $(WINDOWS_DIR) "$$(tools/windows/build-qt)"

windows-deps:
	@tools/windows/install-deps

# The release build: no tests, installed under /usr; only what the package holds is built.
deb: dist-deps
	@[ -f $(RELEASE_DIR)/build.ninja ] || \
		cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DKLV_WERROR=ON \
			-DCMAKE_INSTALL_PREFIX=/usr >/dev/null
	@nice cmake --build $(RELEASE_DIR) --target klv90 klv90-cli klv90-sim klv90_man
	@rm -rf $(RELEASE_DIR)/packages
	@cd $(RELEASE_DIR) && cpack -G DEB -B packages >/dev/null
	@ls $(RELEASE_DIR)/packages/*.deb

dist-deps: deps
	@tools/dist-deps

# Every release file, built afresh, with their checksums.
dist: deb msi
	@rm -rf dist && mkdir dist
	@version="$$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' $(RELEASE_DIR)/CMakeCache.txt)" && \
	cp $(RELEASE_DIR)/packages/klv90_$${version}_amd64.deb \
		$(WINDOWS_DIR)/klv90-$$version-windows-x64.zip $(WINDOWS_DIR)/klv90-$$version-x64.msi dist/
	@cd dist && sha256sum * > SHA256SUMS && ls -l

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR)
