# Front door: every target installs what it is missing, then builds through CMake.
BUILD      ?= build
JOBS       ?= $(shell nproc)
PREFIX     ?= /usr/local

# The SDL 1.2 development package already installed, classic or sdl12-compat, or else the classic one.
SDL_DEV        = $(shell dpkg-query -W -f='$${Status}' libsdl1.2-compat-dev 2>/dev/null | grep -q 'ok installed' \
                   && echo libsdl1.2-compat-dev || echo libsdl1.2-dev)
PLAY_PACKAGES  = g++ cmake make pkg-config $(SDL_DEV)
TEST_PACKAGES  = $(PLAY_PACKAGES) libfreetype-dev zlib1g-dev fonts-dejavu-core fonts-dejavu-extra googletest libgtest-dev \
                 xvfb libx11-dev libxtst-dev clang libclang-rt-dev valgrind desktop-file-utils
BENCH_PACKAGES = $(PLAY_PACKAGES) libbenchmark-dev xvfb openbox libfreetype-dev fonts-dejavu-core fonts-dejavu-extra
DEB_PACKAGES   = build-essential debhelper dpkg-dev cmake pkgconf $(SDL_DEV)
PACKAGE_CHECK_PACKAGES = $(DEB_PACKAGES) lintian appstream desktop-file-utils
WEB_PACKAGES   = emscripten cmake make

.PHONY: play game check test build deps test-deps clean data bench fuzz install uninstall \
        test-sanitize test-fuzz test-other-sdl test-memcheck deb test-package web test-web windows test-windows

# Playing needs the game alone: no tests, tools or benchmarks.
play: deps game
	./$(BUILD)/kanamiina

game:
	cmake -S . -B $(BUILD) -DBUILD_TESTING=OFF -DKANAMIINA_TOOLS=OFF
	cmake --build $(BUILD) -j $(JOBS) --target kanamiina

# The everyday loop: build, then the CTest suite alone.
check: test-deps build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Every net: the suite on both SDL 1.2 libraries and under the sanitizers, fuzzing, the package and the page.
test: check
	$(MAKE) test-memcheck
	$(MAKE) test-other-sdl
	$(MAKE) test-sanitize
	$(MAKE) test-fuzz
	$(MAKE) test-package
	$(MAKE) test-web
	$(MAKE) test-windows

# The same tests on the SDL 1.2 library that is not installed, classic or sdl12-compat.
test-other-sdl:
	BUILD=$(abspath $(BUILD)) JOBS=$(JOBS) tests/run-other-sdl.sh

build:
	cmake -S . -B $(BUILD) -DBUILD_TESTING=ON -DKANAMIINA_TOOLS=ON
	cmake --build $(BUILD) -j $(JOBS)

deps:
	@tools/install-deps $(PLAY_PACKAGES)

test-deps:
	@tools/install-deps $(TEST_PACKAGES)

# Redraws the committed pictures, icon and font, and synthesises the sound effects, from the tools.
data: test-deps build
	$(BUILD)/tools/makepictures data desktop
	$(BUILD)/tools/makesounds data
	$(BUILD)/tools/makefont data/fontti
	$(BUILD)/tools/makefont --versions >tools/data-made-with

# The libraries' unit tests under valgrind, so that a read of memory never set shows too.
test-memcheck:
	SDL_VIDEODRIVER=dummy valgrind -q --leak-check=full --errors-for-leak-kinds=definite --error-exitcode=1 --suppressions=tests/valgrind.supp $(BUILD)/tests/unit_tests --gtest_filter='Sprite*:Font*'

# --- sanitizers and fuzzing ---
test-sanitize:
	JOBS=$(JOBS) tests/run-sanitized.sh

test-fuzz:
	JOBS=$(JOBS) fuzz/run-fuzzers.sh 30

fuzz:
	JOBS=$(JOBS) fuzz/run-fuzzers.sh $(or $(FUZZ_SECONDS),300)

# --- benchmarks ---
bench:
	@tools/install-deps $(BENCH_PACKAGES)
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DKANAMIINA_BENCH=ON -DBUILD_TESTING=OFF
	cmake --build build-bench -j $(JOBS) --target kanamiina kanamiina_bench kanamiina_floor flip_log
	other=$$(tools/unpack-other-sdl build-bench/other-sdl) || other=""; \
	build-bench/bench/kanamiina_bench $(BENCH_FLAGS) && \
	{ [ -z "$$other" ] || LD_LIBRARY_PATH=$$other build-bench/bench/kanamiina_bench $(BENCH_FLAGS); } && \
	bench/measure-game build-bench $(or $(BENCH_SECONDS),8) $(or $(BENCH_REPEATS),3) "$$other"

# --- installation ---
install: deps game
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

uninstall:
	DESTDIR="$(DESTDIR)" desktop/uninstall $(BUILD)/install_manifest.txt

# --- Debian package ---
# dpkg-buildpackage writes beside the tree it builds, so it builds a copy of the
# checkout's tracked files, as they are now, in build-deb/kanamiina.
deb:
	@tools/install-deps $(DEB_PACKAGES)
	rm -rf build-deb
	mkdir -p build-deb/kanamiina
	git ls-files -z | tar --null -T - -cf - | tar -xf - -C build-deb/kanamiina
	cd build-deb/kanamiina && DEB_BUILD_OPTIONS="parallel=$(JOBS)" dpkg-buildpackage -b -us -uc

test-package:
	@tools/install-deps $(PACKAGE_CHECK_PACKAGES)
	tests/check-package

clean:
	rm -rf $(BUILD)

# --- the browser build ---
# The same CMake build with Emscripten's compiler. Debian's emcc needs Debian's acorn,
# which only Debian's own Node finds without help.
EMSCRIPTEN_ENV = NODE_PATH=/usr/share/nodejs

web:
	@tools/install-deps $(WEB_PACKAGES)
	$(EMSCRIPTEN_ENV) emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=MinSizeRel
	$(EMSCRIPTEN_ENV) cmake --build build-web -j $(JOBS)

# The page in headless Chromium, and the floor of its SDL to time it against, served from here
# so that the test can read data/ too.
test-web: web
	$(EMSCRIPTEN_ENV) cmake --build build-web --target kanamiina_floor
	@tools/install-deps chromium-headless-shell
	@command -v npm >/dev/null || tools/install-deps npm
	cd tests/web && npm install --no-audit --no-fund --no-package-lock
	node --test tests/web/

# --- the Windows build ---
# SDL for Windows is built once from Debian's sources and kept in build-windows/sdl; the name of
# its source package there, written last, marks it complete.
WINDOWS_PACKAGES = g++-mingw-w64-x86-64 dpkg-dev cmake make pkg-config zip
WINE_PACKAGES    = wine wine64 unzip
WINDOWS_ZIP      = build-windows/kanamiina-windows.zip
WINE = WINEPREFIX=$(abspath build-windows/wineprefix) WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

windows:
	@tools/install-deps $(WINDOWS_PACKAGES) || true
	@command -v x86_64-w64-mingw32-g++ >/dev/null || { echo "No Windows build: the MinGW-w64 cross compiler cannot be installed here."; exit 1; }
	[ -f build-windows/sdl/source-package ] || JOBS=$(JOBS) tools/build-windows-sdl build-windows/sdl
	PKG_CONFIG_LIBDIR=$(abspath build-windows/sdl/lib/pkgconfig) cmake -S . -B build-windows/game \
	  -DCMAKE_TOOLCHAIN_FILE=$(abspath tools/mingw-w64.cmake) -DBUILD_TESTING=OFF -DKANAMIINA_TOOLS=OFF
	cmake --build build-windows/game -j $(JOBS) --target kanamiina
	tools/pack-windows build-windows

# The end-to-end tests on the unpacked zip under Wine, in a fresh Wine prefix each run.
WINDOWS_CASES = EndToEnd.FirstFrame*:EndToEnd.WormIsSteered*:EndToEnd.EscShows*:EndToEnd.MineIsHeard*:WithoutTheSign.*
test-windows: test-deps build
	@tools/install-deps $(WINDOWS_PACKAGES) $(WINE_PACKAGES) || true
	@if ! command -v x86_64-w64-mingw32-g++ >/dev/null || ! command -v wine >/dev/null; then \
	  echo "Windows build not tested: the MinGW-w64 cross compiler or Wine cannot be installed here."; else \
	  $(MAKE) windows && rm -rf build-windows/unpacked build-windows/wineprefix && \
	  unzip -q $(WINDOWS_ZIP) -d build-windows/unpacked && DISPLAY= $(WINE) wineboot -i && $(WINE) wineserver -w && \
	  KANAMIINA_WINDOWS=$(abspath build-windows/unpacked) $(WINE) $(BUILD)/tests/e2e_test --gtest_filter=$(WINDOWS_CASES); \
	  status=$$?; $(WINE) wineserver -k; exit $$status; fi
