# The two commands a newcomer needs: `make run` and `make test`. Everything else is a helper.
BUILD     ?= build/release
SANITIZE  ?= build/sanitize
JOBS      ?= $(shell nproc 2>/dev/null || echo 2)
ROM       ?=
PREFIX    ?= /usr/local
CMAKE_GEN := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")

.PHONY: all deps configure build test test-sanitize bench run install format clean

all: build

deps:
	@sh tools/bootstrap.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-sanitize: deps
	cmake -S . -B $(SANITIZE) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLEXARO_SANITIZE=ON
	cmake --build $(SANITIZE) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	    ctest --test-dir $(SANITIZE) --output-on-failure -j $(JOBS)

bench: build
	@sh tools/bench.sh $(BUILD)

run: build
	@sh tools/run.sh $(BUILD) "$(ROM)"

# DESTDIR, from the command line or the environment, stages the files under another root.
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
