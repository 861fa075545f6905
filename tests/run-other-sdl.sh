#!/bin/sh
# Runs the normal build's tests once more on the SDL 1.2 library that is not installed, where it can be had.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
LD_LIBRARY_PATH=$("$root/tools/unpack-other-sdl" "$build/other-sdl")
[ -n "$LD_LIBRARY_PATH" ] || exit 0
export LD_LIBRARY_PATH
cd "$build" && ctest --output-on-failure -j "${JOBS:-2}"
