# Quick start: `make run` (the main job) and `make test` (all tests).
# Each job first installs the Debian packages it needs and the machine lacks
# (scripts/install-deps.sh SET; `make deps` installs every set).
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
# Ninja where it is installed (scripts/install-deps.sh installs it): it keeps both cores busier.
GENERATOR   = $(if $(shell command -v ninja),-G Ninja,)
# Configures $(BUILD) once; the tests are in where GoogleTest is installed (`make test` installs it).
CONFIGURE   = [ -f $(BUILD)/CMakeCache.txt ] || cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
              -DQWO_TESTS=$$([ -f /usr/include/gtest/gtest.h ] && echo ON || echo OFF)
# Under CI (CI=true) `make test` also runs the sanitizer build and the fuzzers.
TEST_SETS   = test $(if $(CI),fuzz)

.PHONY: all deps deps-run deps-test deps-package deps-fuzz deps-bench build run test test-asan fuzz bench package clean

all: build

deps:
	@bash scripts/install-deps.sh all
deps-run:
	@bash scripts/install-deps.sh run
deps-test:
	@bash scripts/install-deps.sh $(TEST_SETS)
deps-package:
	@bash scripts/install-deps.sh package
deps-fuzz:
	@bash scripts/install-deps.sh fuzz
deps-bench:
	@bash scripts/install-deps.sh bench

build: deps-run
	@$(CONFIGURE)
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@bash scripts/run.sh $(BUILD)

test: deps-test
	@$(CONFIGURE)
	@grep -q '^QWO_TESTS:BOOL=ON' $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) -DQWO_TESTS=ON
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@if [ -n "$(CI)" ]; then $(MAKE) --no-print-directory test-asan fuzz; fi

# The Debian package, in $(BUILD)/ (see packaging/CMakeLists.txt).
package: deps-package build
	cd $(BUILD) && cpack -G DEB

test-asan: deps-test
	@[ -f $(ASAN_BUILD)/CMakeCache.txt ] || \
	  cmake -S . -B $(ASAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DQWO_SANITIZE=ON -DQWO_GUI=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS) -LE "slow|browser"

FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 20
fuzz: deps-fuzz
	@bash scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

bench: deps-bench
	@$(CONFIGURE)
	cmake -S . -B $(BUILD) -DQWO_BENCH=ON
	cmake --build $(BUILD) -j $(JOBS)
	@bash bench/run.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
