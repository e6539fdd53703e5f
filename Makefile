# The two commands a newcomer needs: `make run` and `make test`. Everything else is a helper.
BUILD     ?= build/release
SANITIZE  ?= build/sanitize
JOBS      ?= $(shell nproc 2>/dev/null || echo 2)
# Tests run two to a core: the longest cases drive a window and spend most of their time
# waiting for its frames, not computing.
TEST_JOBS ?= $(shell echo $$(( $(JOBS) * 2 )))
ROM       ?=
PREFIX    ?= /usr/local
CMAKE_GEN := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")

.PHONY: all deps configure build test test-sanitize bench run install format clean \
        web test-web bench-web fuzz libretro test-libretro fresh-check windows test-windows

all: build

deps:
	@sh tools/bootstrap.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(TEST_JOBS)

test-sanitize: deps
	cmake -S . -B $(SANITIZE) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLEXARO_SANITIZE=ON
	cmake --build $(SANITIZE) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	    ctest --test-dir $(SANITIZE) --output-on-failure -j $(TEST_JOBS)

bench: build
	@sh tools/bench.sh $(BUILD)

run: build
	@sh tools/run.sh $(BUILD) "$(ROM)"

# DESTDIR, from the command line or the environment, stages the files under another root.
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# The browser host: the core and web/web_host.cpp compiled by Debian's emscripten into
# build/web/, beside our page and the demo cartridge. Debian's emcc needs Debian's Node
# modules, which the Node on the PATH may not search.
WEB        ?= build/web
EMXX       := NODE_PATH=/usr/share/nodejs em++
WEB_CORE   := $(wildcard cpu/*.cpp video/*.cpp sound/*.cpp machine/*.cpp) web/web_host.cpp
WEB_DEPS   := $(WEB_CORE) $(wildcard cpu/*.h video/*.h sound/*.h machine/*.h)
WEB_PAGE   := index.html page.js clock.js audio-worklet.js
WEB_EXPORTS := $(subst $(eval) ,,_plexaro_start,_plexaro_load,_plexaro_load_limit,\
    _plexaro_cartridge_loaded,_plexaro_run_frame,_plexaro_reset,_plexaro_pause,\
    _plexaro_picture,_plexaro_sound,_plexaro_sound_samples,_malloc,_free)
WEB_FLAGS  := -std=c++20 -O2 -Wall -Wextra -Wpedantic -Werror -I. -fno-exceptions \
    -sMODULARIZE=1 -sEXPORT_NAME=createPlexaro -sENVIRONMENT=web -sFILESYSTEM=0 \
    -sINITIAL_MEMORY=16777216 -sALLOW_MEMORY_GROWTH=0 -sEXPORTED_FUNCTIONS=$(WEB_EXPORTS)

web: configure
	@sh tools/bootstrap-web.sh
	cmake --build $(BUILD) -j $(JOBS) --target demo
	@$(MAKE) --no-print-directory $(WEB)/plexaro.js $(addprefix $(WEB)/,$(WEB_PAGE)) $(WEB)/demo.sg

$(WEB)/plexaro.js: $(WEB_DEPS)
	@mkdir -p $(WEB)
	$(EMXX) $(WEB_FLAGS) $(WEB_CORE) -o $@

$(WEB)/%: web/%
	@mkdir -p $(WEB)
	cp $< $@

$(WEB)/demo.sg: $(BUILD)/cartridges/demo/demo.sg
	cp $< $@

# The page in Debian's headless Chromium, driven by puppeteer-core from tests/web/.
test-web: web
	@sh tools/bootstrap-web.sh test
	cmake --build $(BUILD) -j $(JOBS) --target plexaro cartridge_busy cartridge_sound
	cd tests/web && npm ci --no-audit --no-fund --silent
	PLEXARO_BUILD=$(BUILD) PLEXARO_WEB=$(WEB) node --test tests/web/

# The page's figures beside the native player's: frames per second unpaced, download size,
# time to the first frame.
bench-web: test-web
	PLEXARO_BUILD=$(BUILD) PLEXARO_WEB=$(WEB) node tools/web_figures.js

# The libretro core for RetroArch and other frontends, with the info file they read, copied to
# build/libretro/ (the default build makes them too, under $(BUILD)/libretro/).
LIBRETRO ?= build/libretro

libretro: configure
	cmake --build $(BUILD) -j $(JOBS) --target plexaro_libretro
	@mkdir -p $(LIBRETRO)
	cp $(BUILD)/libretro/plexaro_libretro.so $(BUILD)/libretro/plexaro_libretro.info $(LIBRETRO)/

# The core through our own frontend, then in Debian's RetroArch under Xvfb (installed here).
test-libretro: build libretro
	@sh tools/bootstrap-libretro.sh
	ctest --test-dir $(BUILD) --output-on-failure -R '^(libretro_core_test|CoreTest|RetroArch)\.'

# Windows x64, cross-built with Debian's MinGW-w64: plexaro.exe, plexaro_libretro.dll and the
# zip that holds them, in build/windows/ (the CMake tree under build/windows/build). The
# libraries are built from Debian's sources once per machine, into ~/.cache/plexaro/.
WINDOWS ?= build/windows

windows: deps
	@sh tools/bootstrap-windows.sh
	@sh tools/windows.sh $(WINDOWS) $(JOBS)

# The Windows build under Wine: the unit groups, the player and the desktop program against
# the Linux build's outputs, the core through our own frontend.
test-windows: build windows
	@sh tools/test-windows.sh $(WINDOWS)/build $(BUILD) $(JOBS)

# The libFuzzer targets of fuzz/, built by Debian's clang with ASan and UBSan into build/fuzz/
# (a project of their own: the native build never needs clang), then each run for
# FUZZ_SECONDS on a copy of its seed corpus from fuzz/corpus/.
FUZZ         ?= build/fuzz
FUZZ_SECONDS ?= 30

fuzz:
	@sh tools/bootstrap-fuzz.sh
	cmake -S fuzz -B $(FUZZ) $(CMAKE_GEN) -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(FUZZ) -j $(JOBS)
	@sh tools/fuzz.sh $(FUZZ) fuzz/corpus $(FUZZ_SECONDS)

# What a new machine does with REV (default HEAD): a minimal Debian 12 root of its own, the
# project cloned into it, then `make test`, `make run` and .ci/run, each one's status and time
# printed at the end. As root; takes one to two hours. FRESH_DIR (empty or absent) keeps the root
# and the logs; by default a new folder under /tmp.
REV       ?= HEAD
FRESH_DIR ?=

fresh-check:
	sh tools/fresh-check.sh $(if $(FRESH_DIR),-d "$(FRESH_DIR)") "$(REV)"

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
