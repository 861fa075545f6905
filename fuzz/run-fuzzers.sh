#!/bin/sh
# Builds the fuzz targets with clang in build-fuzz and fuzzes each for the
# given number of seconds, starting from the committed seeds. New inputs go
# to a scratch corpus under build-fuzz, crashing inputs beside it; the
# committed seeds are only read. Fails when a target crashes.
set -eu

seconds=${1:?usage: run-fuzzers.sh SECONDS}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz
targets="sprite_base font"

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DKANAMIINA_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j "${JOBS:-2}" --target sprite_base_fuzz font_fuzz

status=0
for target in $targets; do
  scratch=$build/corpus/$target
  artifacts=$build/artifacts/$target
  log=$build/$target.log
  mkdir -p "$scratch" "$artifacts"
  echo "fuzzing $target for $seconds s (log: $log)"
  # No input may wait on a terminal: standard input is empty.
  if "$build/fuzz/${target}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -dict="$root/fuzz/$target.dict" -artifact_prefix="$artifacts/" \
      "$scratch" "$root/fuzz/corpus/$target" </dev/null >"$log" 2>&1; then
    grep -E '^(Done|stat::number_of_executed_units)' "$log" || true
  else
    tail -n 60 "$log"
    echo "$target: the fuzzer found a crash; the input is in $artifacts" >&2
    status=1
  fi
done
exit $status
