# Merovia: the two set-up commands are `make run` and `make test`.
BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?= -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps configure build run test bench fuzz crash format clean

all: build

deps:
	@scripts/install-deps

$(BUILD_DIR)/build.ninja: CMakeLists.txt
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) >/dev/null

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# Builds, prepares the demo data directory when there is none yet, and starts the program.
run: build
	@if [ -x $(BUILD_DIR)/bin/mrvdata ]; then $(BUILD_DIR)/bin/mrvdata prepare --demo; fi
	@$(BUILD_DIR)/bin/merovia

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

bench: build
	@scripts/run-benchmarks $(BUILD_DIR)

# Each fuzz target for FUZZ_SECONDS (600) in the clang build folder build-fuzz.
fuzz: deps
	@scripts/run-fuzz

# The crash test's long run: CRASH_RUNS (500) kills of the saving driver.
crash: build
	@$(BUILD_DIR)/tests/crash_test --runs $${CRASH_RUNS:-500}

format:
	@scripts/format

clean:
	@rm -rf $(BUILD_DIR)
