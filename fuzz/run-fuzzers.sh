#!/bin/sh
# Builds the fuzz targets with clang in build-fuzz and fuzzes each for the given number of seconds,
# from the committed seeds (only read) and a scratch corpus; fails when a target crashes.
set -eu
seconds=${1:?usage: run-fuzzers.sh SECONDS}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz
(cd "$root" && cmake --preset fuzz >/dev/null)
cmake --build "$build" -j "${JOBS:-2}" --target sprite_base_fuzz font_fuzz game_loaders_fuzz sound_fuzz
for target in sprite_base font game_loaders sound; do
  mkdir -p "$build/corpus/$target" "$build/artifacts/$target"
  echo "fuzzing $target for $seconds s"
  # No input may wait on a terminal: standard input is empty.
  "$build/fuzz/${target}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -dict="$root/fuzz/$target.dict" -artifact_prefix="$build/artifacts/$target/" \
    "$build/corpus/$target" "$root/fuzz/corpus/$target" </dev/null >"$build/$target.log" 2>&1 ||
    { tail -n 60 "$build/$target.log"; echo "$target: a crash; the input is in $build/artifacts/$target" >&2; exit 1; }
done
