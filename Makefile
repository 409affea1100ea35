# The two commands of the README. PRESET picks the CMake preset (dev, asan, release).
PRESET ?= dev

.PHONY: deps configure build test

deps:
	@scripts/install-deps

configure: deps
	@cmake --preset $(PRESET) >/dev/null

build: configure
	@cmake --build --preset $(PRESET)

test: build
	@ctest --preset $(PRESET)

.PHONY: bench
# Builds the benchmarks with the release preset and runs them.
bench:
	@cmake --preset release >/dev/null
	@cmake --build --preset release --target sim_bench
	@build/release/bench/sim_bench
