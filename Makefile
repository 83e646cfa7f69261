# KelvoFlash吧: build, run and test.
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
DEMO_HOME ?= $(BUILD)/demo-home
PREFIX ?= /usr/local

COVERAGE_BUILD ?= build-coverage
SANITIZE_BUILD ?= build-sanitize
RELEASE_BUILD ?= build-release
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS = result_code frames jet_sql form gbk item_check feed mdb_text
# Leaks are reported at exit; the suppressions name third-party libraries only.
# Qt WebEngine's browser code frees objects with a smaller sized delete than
# it allocated them with, so that check is off.
SANITIZE_ENV = ASAN_OPTIONS=detect_leaks=1:new_delete_type_mismatch=0 \
  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

.PHONY: all deps configure build test bench run demo install package clean format format-check coverage sanitize fuzz fuzz-build release

all: build

deps:
	@scripts/install-deps

configure: deps
	@if [ ! -f $(BUILD)/build.ninja ]; then \
	  cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DFLASHBAR_WERROR=ON; \
	fi

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Builds with coverage into its own folder, runs every test and prints the
# line and branch coverage of each source folder.
coverage: deps
	@if [ ! -f $(COVERAGE_BUILD)/build.ninja ]; then \
	  cmake -S . -B $(COVERAGE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFLASHBAR_COVERAGE=ON -DFLASHBAR_WERROR=ON \
	    -DFLASHBAR_BUILD_BENCH=OFF $$(command -v ccache > /dev/null && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache); \
	fi
	cmake --build $(COVERAGE_BUILD) -j $(JOBS)
	find $(COVERAGE_BUILD) -name '*.gcda' -delete
	@status=0; (cd $(COVERAGE_BUILD) && ctest --output-on-failure -j $(JOBS)) || status=$$?; \
	  scripts/coverage-report $(COVERAGE_BUILD) && exit $$status

# Builds with AddressSanitizer and UndefinedBehaviorSanitizer into its own
# folder and runs every test; any finding fails the test that made it.
sanitize: deps
	@if [ ! -f $(SANITIZE_BUILD)/build.ninja ]; then \
	  cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFLASHBAR_SANITIZE=ON -DFLASHBAR_WERROR=ON \
	    -DFLASHBAR_BUILD_BENCH=OFF $$(command -v ccache > /dev/null && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache); \
	fi
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	cd $(SANITIZE_BUILD) && $(SANITIZE_ENV) ctest --output-on-failure -j $(JOBS)

# Builds the programs and benchmarks as a distribution would, optimised
# (Release), with warnings as errors, in their own folder.
release: deps
	@if [ ! -f $(RELEASE_BUILD)/build.ninja ]; then \
	  cmake -S . -B $(RELEASE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DFLASHBAR_WERROR=ON \
	    -DFLASHBAR_BUILD_TESTS=OFF $$(command -v ccache > /dev/null && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache); \
	fi
	cmake --build $(RELEASE_BUILD) -j $(JOBS)

# Builds the fuzz targets with clang, libFuzzer and the sanitizers into their
# own folder and runs each for FUZZ_SECONDS on its corpus; any finding fails.
fuzz: $(addprefix fuzz-run-,$(FUZZ_TARGETS))

fuzz-build: deps
	@if [ ! -f $(FUZZ_BUILD)/build.ninja ]; then \
	  cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	    -DFLASHBAR_FUZZ=ON -DFLASHBAR_BUILD_TESTS=OFF -DFLASHBAR_BUILD_BENCH=OFF -DFLASHBAR_WERROR=ON \
	    $$(command -v ccache > /dev/null && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache); \
	fi
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers

fuzz-run-%: fuzz-build
	@fuzz/run $(FUZZ_BUILD) $* $(FUZZ_SECONDS)

# Medians of five runs; the first run writes the bench catalogues (about 20 s).
# bench_open times opening an item on an X server of its own (OPEN_ARGS=--runs=N).
bench: build
	$(BUILD)/bench/bench_list --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
	  --benchmark_min_time=0.2 $(BENCH_ARGS)
	$(BUILD)/bench/bench_search --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
	  --benchmark_min_time=0.2 $(BENCH_ARGS)
	$(BUILD)/bench/bench_start --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	$(BUILD)/bench/bench_download --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	$(BUILD)/bench/bench_update --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	$(BUILD)/bench/bench_import --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
	xvfb-run -a -s "-screen 0 1280x1024x24" $(BUILD)/bench/bench_open $(OPEN_ARGS)

# Writes the demo home (catalogue) unless it is there already.
demo: build
	@if [ ! -f $(DEMO_HOME)/Data/info.db ]; then \
	  $(BUILD)/tools/catalogue/flashbar-catalogue demo $(DEMO_HOME) --site http://127.0.0.1:8731/; \
	fi

# Starts the program on the demo home. Without a display it says how to
# run it under a virtual one.
run: demo
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "No display. Run it under a virtual display:  xvfb-run -a make run"; \
	  echo "or take a picture of the window:  $(BUILD)/src/app/flashbar --home $(DEMO_HOME) --screenshot main.png"; \
	  exit 1; \
	fi
	scripts/run-demo $(BUILD) $(DEMO_HOME)

# Installs the programs and their files under PREFIX (bin/, share/).
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# A Debian package in $(BUILD)/, for apt install ./flashbar_*.deb
package: build
	cd $(BUILD) && cpack

# The C++ sources that clang-format keeps in shape.
FORMATTED = $$(git ls-files 'src/*.cpp' 'src/*.h' 'tools/*.cpp' 'tools/*.h' 'tests/*.cpp' 'tests/*.h' \
  'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp' 'fuzz/*.h')

format:
	clang-format -i $(FORMATTED)

# Fails when a source file is not formatted as `make format` would leave it.
format-check: deps
	clang-format --dry-run -Werror $(FORMATTED)

clean:
	rm -rf $(BUILD)
