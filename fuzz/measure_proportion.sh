#!/usr/bin/env bash
# Peak memory per input byte of the conversions that build a structure as
# large as their input: the package tree (a package string read into its
# compact form, and a compact text written as a package string), the job
# hash conversion (a job hash with a large package read into a job and
# written back as zxarchivejob does) and the configuration readers (zx.conf
# and job.conf, and the sectioned files), at about 1, 10 and 50 MiB each
# (gen_proportion.py), in a plain optimised build without sanitizers.
# The bar for an input of n bytes: peak resident memory under
# 16 * n + 64 MiB.
#   fuzz/measure_proportion.sh [NAME_FILTER] [SIZES_MIB...]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/setup.sh"

FILTER="${1:-}"
shift || true
BUILD="${ZX_MEASURE_BUILD:-$ZX_ROOT/build-measure}"
zx_configure "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZX_BUILD_TESTS=ON >/dev/null
cmake --build "$BUILD" -j 2 --target zx_fuzz_measure >/dev/null
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
python3 "$ZX_ROOT/fuzz/gen_proportion.py" "$WORK" "$@"
status=0
printf '%-22s %10s %9s %9s %9s %7s  %s\n' input bytes peak_MiB per_byte bar_MiB seconds result
for f in $(ls "$WORK" | sort -t. -k1,1 -k2,2n); do
  entry="${f%%.*}"
  case "$f" in *"$FILTER"*) ;; *) continue ;; esac
  bytes=$(stat -c %s "$WORK/$f")
  read -r kb secs < <(/usr/bin/time -f '%M %e' "$BUILD/fuzz/zx_fuzz_measure" "$entry" "$WORK/$f" 2>&1 >/dev/null | tail -1)
  peak=$(awk -v k="$kb" 'BEGIN { printf "%.1f", k / 1024 }')
  ratio=$(awk -v k="$kb" -v n="$bytes" 'BEGIN { printf "%.1f", k * 1024 / n }')
  bar=$(awk -v n="$bytes" 'BEGIN { printf "%.1f", (16 * n) / 1048576 + 64 }')
  result=ok
  awk -v p="$peak" -v b="$bar" 'BEGIN { exit !(p < b) }' || { result=FAIL; status=1; }
  printf '%-22s %10d %9s %9s %9s %7s  %s\n' "$f" "$bytes" "$peak" "$ratio" "$bar" "$secs" "$result"
done
exit $status
