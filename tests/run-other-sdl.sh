#!/bin/sh
# Runs the normal build's tests once more on the SDL 1.2 library that is not installed.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
LD_LIBRARY_PATH=$("$root/tools/unpack-other-sdl" "$build/other-sdl")
export LD_LIBRARY_PATH
ldd "$build/kanamiina" | grep libSDL
# sdl12-compat puts the window's icon in _NET_WM_ICON, not in the window manager hints.
skip=$(ldd "$build/kanamiina" | grep -q sdl12-compat && echo Icon || echo NONE)
cd "$build" && ctest --output-on-failure -j "${JOBS:-2}" -E "$skip"
