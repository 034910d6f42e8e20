# The two commands of the README, plus the benchmarks and formatting.
BUILD_DIR := build
RUN_DIR   := $(BUILD_DIR)/run
JOBS      := $(shell nproc 2>/dev/null || echo 2)
# A compiler cache, when the machine has one, makes rebuilds of other checkouts cheap.
LAUNCHER  := $(if $(shell command -v ccache 2>/dev/null),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.PHONY: all deps configure build program run test bench format clean package sanitize

all: build

deps:
	@scripts/install-deps

configure: deps
	@if [ ! -f $(BUILD_DIR)/CMakeCache.txt ]; then cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(LAUNCHER); fi

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

program: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target lumivex

# The program keeps its settings file in its working folder: make run uses build/run.
run: program
	@mkdir -p $(RUN_DIR)
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
		echo "No display found: starting Lumivex under a virtual X server (xvfb-run)."; \
		cd $(RUN_DIR) && xvfb-run -a ../bin/lumivex; \
	else \
		cd $(RUN_DIR) && ../bin/lumivex; \
	fi

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# lumivex_<version>_amd64.deb in build/.
package: build
	@cmake --build $(BUILD_DIR) --target package

# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer,
# in a build folder of its own; any report fails a test.
SANITIZE_DIR := build-sanitize
sanitize: deps
	@if [ ! -f $(SANITIZE_DIR)/CMakeCache.txt ]; then cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIVEX_SANITIZE=ON $(LAUNCHER); fi
	@cmake --build $(SANITIZE_DIR) -j $(JOBS)
	@cd $(SANITIZE_DIR) && ctest --output-on-failure -j $(JOBS)

bench: build
	@cmake --build $(BUILD_DIR) --target run_benchmarks

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD_DIR)
