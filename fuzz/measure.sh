#!/usr/bin/env bash
# Peak memory and time of every entry point on large generated inputs
# (about 1 MiB each, see gen_large.py), in a plain optimised build without
# sanitizers. The bar for an input of n bytes: peak resident memory under
# 64 * n + 64 MiB, and under one second.
#   fuzz/measure.sh [NAME_FILTER]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/setup.sh"

FILTER="${1:-}"
BUILD="${ZX_MEASURE_BUILD:-$ZX_ROOT/build-measure}"
zx_configure "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZX_BUILD_TESTS=ON >/dev/null
cmake --build "$BUILD" -j 2 --target zx_fuzz_measure >/dev/null
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
python3 "$ZX_ROOT/fuzz/gen_large.py" "$WORK"
status=0
printf '%-34s %9s %9s %9s %7s  %s\n' input bytes peak_MiB bar_MiB seconds result
for f in "$WORK"/*; do
  base="$(basename "$f")"
  entry="${base%%.*}"
  case "$base" in *"$FILTER"*) ;; *) continue ;; esac
  bytes=$(stat -c %s "$f")
  read -r kb secs < <(/usr/bin/time -f '%M %e' "$BUILD/fuzz/zx_fuzz_measure" "$entry" "$f" 2>&1 >/dev/null | tail -1)
  peak=$(awk -v k="$kb" 'BEGIN { printf "%.1f", k / 1024 }')
  bar=$(awk -v n="$bytes" 'BEGIN { printf "%.1f", (64 * n) / 1048576 + 64 }')
  result=ok
  awk -v p="$peak" -v b="$bar" -v s="$secs" 'BEGIN { exit !(p < b && s < 1.0) }' || { result=OVER; status=1; }
  printf '%-34s %9d %9s %9s %7s  %s\n' "$base" "$bytes" "$peak" "$bar" "$secs" "$result"
done
exit $status
