# KelvoFlash吧: build, run and test.
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
DEMO_HOME ?= $(BUILD)/demo-home

.PHONY: all deps configure build test bench run demo clean format

all: build

deps:
	@scripts/install-deps

configure: deps
	@if [ ! -f $(BUILD)/build.ninja ]; then \
	  cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE); \
	fi

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Medians of five runs; the first run writes the bench catalogues (about 20 s).
bench: build
	$(BUILD)/bench/bench_list --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
	  --benchmark_min_time=0.2 $(BENCH_ARGS)

# Writes the demo home (catalogue) unless it is there already.
demo: build
	@if [ ! -f $(DEMO_HOME)/Data/info.db ]; then \
	  $(BUILD)/tools/catalogue/flashbar-catalogue demo $(DEMO_HOME); \
	fi

run: demo
	@echo "The main window arrives with the application shell; the demo home is ready in $(DEMO_HOME)."
	@$(BUILD)/tools/catalogue/flashbar-catalogue info $(DEMO_HOME)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD)
