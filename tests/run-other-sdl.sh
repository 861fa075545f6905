#!/bin/sh
# Runs the normal build's tests once more on the SDL 1.2 library that is not installed: classic SDL
# and sdl12-compat share one binary interface, so the same programs run on either. Its runtime files
# are unpacked into the build tree; the system's SDL stays as it is.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
other=$build/other-sdl
if dpkg-query -W -f='${Status}' libsdl1.2-compat 2>/dev/null | grep -q 'ok installed'; then
  packages=libsdl1.2debian
else
  packages="libsdl1.2-compat libsdl2-2.0-0"
  "$root/tools/install-deps" $(apt-cache depends libsdl2-2.0-0 | awk '$1 == "Depends:" && $2 !~ /^</ { print $2 }')
fi
rm -rf "$other"
mkdir -p "$other"
(cd "$other" && apt-get download $packages)
for deb in "$other"/*.deb; do
  dpkg -x "$deb" "$other/root"
done
LD_LIBRARY_PATH=$(find "$other/root" -name '*.so.*' -exec dirname {} \; | sort -u | paste -sd :)
export LD_LIBRARY_PATH
ldd "$build/kanamiina" | grep libSDL
# Without a window manager sdl12-compat shows full screen as a centred window, so the switch to a
# window shows in no geometry there.
skip=$( [ "$packages" = libsdl1.2debian ] && echo NONE || echo AltEnter)
cd "$build" && ctest --output-on-failure -j "${JOBS:-2}" -E "$skip"
