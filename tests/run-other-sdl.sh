#!/bin/sh
# Runs the suite of build/ once more on the SDL 1.2 library that is not installed, where it can be had.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
LD_LIBRARY_PATH=$("$root/tools/unpack-other-sdl" "$root/build/other-sdl")
[ -n "$LD_LIBRARY_PATH" ] || exit 0
export LD_LIBRARY_PATH
cd "$root" && ctest --preset check -j "${JOBS:-2}"
