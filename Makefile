# Quick start: `make run` (the main job) and `make test` (all tests).
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
# Ninja where it is installed (scripts/install-deps.sh installs it): it keeps both cores busier.
GENERATOR   = $(if $(shell command -v ninja),-G Ninja,)

.PHONY: all deps build run test test-asan fuzz bench package clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@bash scripts/run.sh $(BUILD)

# Under CI (CI=true) the suite runs a second time under the sanitizers, and
# each fuzzer runs for 20 seconds on its seed corpus.
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@if [ -n "$(CI)" ]; then $(MAKE) --no-print-directory test-asan fuzz; fi

# The Debian package, in $(BUILD)/ (see packaging/CMakeLists.txt).
package: build
	cd $(BUILD) && cpack -G DEB

$(ASAN_BUILD)/CMakeCache.txt:
	cmake -S . -B $(ASAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DQWO_SANITIZE=ON -DQWO_GUI=OFF

test-asan: deps $(ASAN_BUILD)/CMakeCache.txt
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS) -LE "slow|browser"

FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 20
fuzz: deps
	@bash scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

bench: deps
	cmake -S . -B $(BUILD) -DQWO_BENCH=ON
	cmake --build $(BUILD) -j $(JOBS)
	@bash bench/run.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
