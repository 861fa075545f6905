# Front door. Every target installs the Debian packages it is missing, then configures, builds and
# tests through the presets of CMakePresets.json: a build directory for each purpose, so that no
# target undoes another's build.
JOBS   ?= $(shell nproc)
PREFIX ?= /usr/local

# The SDL 1.2 development package already installed, classic or sdl12-compat, or else the classic one.
SDL_DEV        = $(shell dpkg-query -W -f='$${Status}' libsdl1.2-compat-dev 2>/dev/null | grep -q 'ok installed' \
                   && echo libsdl1.2-compat-dev || echo libsdl1.2-dev)
PLAY_PACKAGES  = g++ cmake make pkg-config $(SDL_DEV)
TEST_PACKAGES  = $(PLAY_PACKAGES) libfreetype-dev zlib1g-dev fonts-dejavu-core fonts-dejavu-extra googletest libgtest-dev \
                 xvfb libx11-dev libxtst-dev clang libclang-rt-dev valgrind desktop-file-utils
BENCH_PACKAGES = $(PLAY_PACKAGES) libbenchmark-dev xvfb openbox xdotool libfreetype-dev fonts-dejavu-core fonts-dejavu-extra
DEB_PACKAGES   = build-essential debhelper dpkg-dev cmake pkgconf $(SDL_DEV)
PACKAGE_CHECK_PACKAGES = $(DEB_PACKAGES) lintian appstream desktop-file-utils
WEB_PACKAGES   = emscripten cmake make webp
WINDOWS_PACKAGES = g++-mingw-w64-x86-64 dpkg-dev cmake make pkg-config zip
WINE_PACKAGES    = wine wine64 unzip

.PHONY: play game install uninstall build check data test test-memcheck test-other-sdl test-sanitize test-fuzz fuzz \
        bench deb test-package web test-web windows test-windows clean

# --- playing: the game alone, in build-play, run from here where its data/ is ---
play: game
	./build-play/kanamiina

game:
	@tools/install-deps $(PLAY_PACKAGES)
	cmake --preset play
	cmake --build --preset play -j $(JOBS)

install: game
	DESTDIR="$(DESTDIR)" cmake --install build-play --prefix "$(PREFIX)"

uninstall:
	DESTDIR="$(DESTDIR)" desktop/uninstall build-play/install_manifest.txt

# --- developing: the game, the tools that draw its data and every test, in build ---
build:
	@tools/install-deps $(TEST_PACKAGES)
	cmake --preset test
	cmake --build --preset test -j $(JOBS)

# The everyday loop: the CTest suite. `ctest --test-dir build -L e2e` runs the end-to-end cases alone.
check: build
	ctest --preset check -j $(JOBS)

# Redraws the committed pictures, icons and font, and synthesises the sound effects, from the tools.
data: build
	build/tools/makepictures data desktop
	build/tools/makesounds data
	build/tools/makefont data/fontti
	build/tools/makefont --versions >tools/data-made-with

# Every net, in the order CI runs them.
test: check test-memcheck test-other-sdl test-sanitize test-fuzz test-package test-web test-windows

# The libraries' unit tests and the pause's under valgrind, where a read of memory never set, or a
# picture of the held field not freed, shows.
test-memcheck: build
	SDL_VIDEODRIVER=dummy valgrind -q --leak-check=full --errors-for-leak-kinds=definite --error-exitcode=1 \
	  --suppressions=tests/valgrind.supp build/tests/unit_tests --gtest_filter='Sprite*:Font*:GameTest.NothingMoves*'

# The suite once more on the SDL 1.2 library that is not installed, classic SDL or sdl12-compat.
test-other-sdl: build
	JOBS=$(JOBS) tests/run-other-sdl.sh

# Everything once more under the sanitizers, in build-asan.
test-sanitize:
	@tools/install-deps $(TEST_PACKAGES)
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

# Each fuzz target for 30 seconds in build-fuzz; `make fuzz` fuzzes for FUZZ_SECONDS (300).
test-fuzz:
	@tools/install-deps $(TEST_PACKAGES)
	JOBS=$(JOBS) fuzz/run-fuzzers.sh 30

fuzz:
	@tools/install-deps $(TEST_PACKAGES)
	JOBS=$(JOBS) fuzz/run-fuzzers.sh $(or $(FUZZ_SECONDS),300)

# --- benchmarks, in build-bench, on each SDL 1.2 library that can be had ---
bench:
	@tools/install-deps $(BENCH_PACKAGES)
	cmake --preset bench
	cmake --build --preset bench -j $(JOBS)
	other=$$(tools/unpack-other-sdl build-bench/other-sdl) || other=""; \
	build-bench/bench/kanamiina_bench $(BENCH_FLAGS) && \
	{ [ -z "$$other" ] || LD_LIBRARY_PATH=$$other build-bench/bench/kanamiina_bench $(BENCH_FLAGS); } && \
	bench/measure-game build-bench $(or $(BENCH_SECONDS),8) $(or $(BENCH_REPEATS),3) "$$other"

# --- the Debian package ---
# dpkg-buildpackage writes beside the tree it builds, so it builds a copy of the
# checkout's tracked files, as they are now, in build-deb/kanamiina.
deb:
	@tools/install-deps $(DEB_PACKAGES)
	rm -rf build-deb
	mkdir -p build-deb/kanamiina
	git ls-files -z | tar --null -T - -cf - | tar -xf - -C build-deb/kanamiina
	cd build-deb/kanamiina && DEB_BUILD_OPTIONS="parallel=$(JOBS)" dpkg-buildpackage -b -us -uc

test-package: deb
	@tools/install-deps $(PACKAGE_CHECK_PACKAGES)
	tests/check-package build-deb/kanamiina_*.deb

# --- the browser build, in build-web ---
# Debian's emcc needs Debian's acorn, which only Debian's own Node finds without help.
EMSCRIPTEN_ENV = NODE_PATH=/usr/share/nodejs

web:
	@tools/install-deps $(WEB_PACKAGES)
	$(EMSCRIPTEN_ENV) emcmake cmake --preset web
	$(EMSCRIPTEN_ENV) cmake --build build-web -j $(JOBS)

# The page in headless Chromium, and the floor of its SDL to time it against, served from here
# so that the test can read data/ too.
test-web: web
	$(EMSCRIPTEN_ENV) cmake --build build-web --target kanamiina_floor
	@tools/install-deps chromium-headless-shell chromium
	@command -v npm >/dev/null || tools/install-deps npm
	cd tests/web && npm install --no-audit --no-fund --no-package-lock
	node --test tests/web/

# --- the Windows build, in build-windows ---
# SDL for Windows is built once from Debian's sources and kept in build-windows/sdl; the name of
# its source package there, written last, marks it complete.
WINE = WINEPREFIX=$(abspath build-windows/wineprefix) WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

windows:
	@tools/install-deps $(WINDOWS_PACKAGES) || true
	@command -v x86_64-w64-mingw32-g++ >/dev/null || { echo "No Windows build: the MinGW-w64 cross compiler cannot be installed here."; exit 1; }
	[ -f build-windows/sdl/source-package ] || JOBS=$(JOBS) tools/build-windows-sdl build-windows/sdl
	cmake --preset windows
	cmake --build --preset windows -j $(JOBS)
	tools/pack-windows build-windows

# The end-to-end cases labelled windows play the unpacked zip under Wine, in a fresh Wine prefix each run.
test-windows: build
	@tools/install-deps $(WINDOWS_PACKAGES) $(WINE_PACKAGES) || true
	@if ! command -v x86_64-w64-mingw32-g++ >/dev/null || ! command -v wine >/dev/null; then \
	  echo "Windows build not tested: the MinGW-w64 cross compiler or Wine cannot be installed here."; else \
	  $(MAKE) windows && rm -rf build-windows/unpacked build-windows/wineprefix && \
	  unzip -q build-windows/kanamiina-windows.zip -d build-windows/unpacked && \
	  DISPLAY= $(WINE) wineboot -i && $(WINE) wineserver -w && $(WINE) ctest --preset windows; \
	  status=$$?; $(WINE) wineserver -k; exit $$status; fi

# Everything built, but the SDL built for Windows, which takes long to make again.
clean:
	rm -rf build build-play build-asan build-fuzz build-bench build-web build-deb build-windows/game build-windows/unpacked \
	  build-windows/wineprefix
