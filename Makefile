# make run    installs what is missing, builds and starts the tool
# make test   installs what is missing, builds and runs every test, then builds the tests again
#             with AddressSanitizer and UndefinedBehaviorSanitizer and runs them all there too
BUILD_DIR ?= build
SANITIZE_DIR ?= build-sanitize
JOBS ?= $(shell nproc)
CTEST = QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

.PHONY: run test build configure sanitize-build deps bench clean

# Only the tool and the libraries it links; `make build` and `make test` build the rest.
run: configure
	@cmake --build $(BUILD_DIR) --target klv90
	@$(BUILD_DIR)/bin/klv90

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

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR)
