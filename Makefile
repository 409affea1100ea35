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
