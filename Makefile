# The two set-up commands are `make run` and `make test`; each installs what is
# missing, configures, builds and runs.
JOBS          ?= $(shell nproc)
FUZZ_SECONDS  ?= 30
ARGS          ?=
# `make run LEVEL=Demo.loa` starts that level directly (the built-in command
# line's override, with the catalogs); plain `make run` starts at the front end.
LEVEL         ?=

TEST_DIR  := build/test
RUN_DIR   := build/release
BENCH_DIR := build/bench
FUZZ_DIR  := build/fuzz

export ASAN_OPTIONS  := detect_leaks=1:abort_on_error=0:strict_string_checks=1
export UBSAN_OPTIONS := halt_on_error=1:print_stacktrace=1

.PHONY: run test bench fuzz build-test build-run clean

run: build-run
	$(if $(LEVEL),HALBERD_COMMAND_LINE="-d $(LEVEL)") $(RUN_DIR)/halberd $(ARGS)

build-run:
	tools/install-deps.sh core
	cmake -S . -B $(RUN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DHALBERD_TESTS=OFF
	cmake --build $(RUN_DIR) -j $(JOBS)

test: build-test
	ctest --test-dir $(TEST_DIR) --output-on-failure -j $(JOBS)

# The test build (what CI runs), the one place its flags are set: sanitizers,
# line-table debug information (enough for the sanitizers' stack traces), the
# test programs' own sources without optimisation (the code under test keeps
# -O1) and compiled in batches of one folder's files (see cmake/halberd.cmake).
# Configure a build of your own with these same flags so that the shared
# compiler cache serves it.
build-test:
	tools/install-deps.sh core
	cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	      -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" -DCMAKE_C_FLAGS_DEBUG="-O1 -g1" \
	      -DHALBERD_SANITIZE=ON -DHALBERD_UNITY_TESTS=ON -DHALBERD_UNITY_BATCH=8 \
	      -DHALBERD_TEST_SOURCE_FLAGS=-O0
	cmake --build $(TEST_DIR) -j $(JOBS)

bench:
	tools/install-deps.sh bench
	cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	      -DHALBERD_TESTS=OFF -DHALBERD_BENCH=ON
	cmake --build $(BENCH_DIR) -j $(JOBS)
	bench/run_benchmarks.sh $(BENCH_DIR)

fuzz:
	tools/install-deps.sh fuzz
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	      -DHALBERD_FUZZ=ON -DHALBERD_TESTS=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	fuzz/run_fuzzers.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

clean:
	rm -rf build
