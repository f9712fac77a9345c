# make run    installs what is missing, builds and starts the tool
# make test   installs what is missing, builds and runs every test
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: run test build deps bench clean

run: build
	@$(BUILD_DIR)/bin/klv90

test: build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

bench: build
	@cmake --build $(BUILD_DIR) --target bench

build: deps
	@[ -f $(BUILD_DIR)/build.ninja ] || \
		cmake -S . -B $(BUILD_DIR) -G Ninja -DKLV_WERROR=ON >/dev/null
	@cmake --build $(BUILD_DIR)

deps:
	@tools/install-deps

clean:
	rm -rf $(BUILD_DIR)
