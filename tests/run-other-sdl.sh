#!/bin/sh
# Runs the normal build's tests once more on the SDL 1.2 library that is not installed.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
LD_LIBRARY_PATH=$("$root/tools/unpack-other-sdl" "$build/other-sdl")
export LD_LIBRARY_PATH
ldd "$build/kanamiina" | grep libSDL
# Without a window manager sdl12-compat shows full screen as a centred window, so the switch to a
# window shows in no geometry there; its icon goes to _NET_WM_ICON, not to the window manager hints.
skip=$(ldd "$build/kanamiina" | grep -q sdl12-compat && echo "AltEnter|Icon" || echo NONE)
cd "$build" && ctest --output-on-failure -j "${JOBS:-2}" -E "$skip"
