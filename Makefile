# The commands of the README. PRESET picks the CMake preset (dev, asan, tsan, release).
PRESET ?= dev

.PHONY: deps configure build test fuzz run

deps:
	@scripts/install-deps

configure: deps
	@cmake --preset $(PRESET) >/dev/null

build: configure
	@cmake --build --preset $(PRESET)

test: build
	@ctest --preset $(PRESET)

# Starts the program on the built-in simulated desktop (DESKTOP=path picks another description).
# Its window needs a display; without one this says so in one line and fails.
run:
	$(if $(DISPLAY)$(WAYLAND_DISPLAY),,$(error no display to show the simulated desktop on; start it as: xvfb-run -s "-screen 0 2560x1600x24" make run))
	@$(MAKE) --no-print-directory build
	@build/$(PRESET)/app/tessaline $(if $(DESKTOP),--desktop $(DESKTOP))

.PHONY: bench
# Builds everything with the release preset and runs every benchmark program of bench/, then
# the program's own figures (start to panel, idle processor time, memory; about five minutes).
bench: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release
	@for program in build/release/bench/*_bench; do echo "== $$program"; $$program || exit 1; done
	@echo "== bench/app_figures.sh"
	@sh bench/app_figures.sh build/release/app/tessaline

# Builds the libFuzzer programs (preset "fuzz") and runs each for FUZZ_SECONDS; a crash, leak or
# sanitizer report stops the run with its reproducer under build/fuzz/.
FUZZ_SECONDS ?= 60

define run-fuzzer
	@mkdir -p build/fuzz/corpus/$(1)
	@build/fuzz/fuzz/$(1) -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
		-artifact_prefix=build/fuzz/ build/fuzz/corpus/$(1) $(2)
endef

fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz
	$(call run-fuzzer,scan_fixture_fuzz,tests/fixtures)
	$(call run-fuzzer,display_name_fuzz,fuzz/seeds/display-name)
	$(call run-fuzzer,sentry_protocol_fuzz,fuzz/seeds/sentry-protocol)
	$(call run-fuzzer,distributed_notification_fuzz,fuzz/seeds/distributed-notification)
	$(call run-fuzzer,appcast_fuzz,fuzz/seeds/appcast)
	$(call run-fuzzer,release_notes_fuzz,fuzz/seeds/release-notes)
	$(call run-fuzzer,archive_extraction_fuzz,)
	$(call run-fuzzer,defaults_file_fuzz,fuzz/seeds/defaults-file)
	$(call run-fuzzer,desktop_description_fuzz,desktops)
