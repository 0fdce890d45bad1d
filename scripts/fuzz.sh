#!/usr/bin/env bash
# The fuzz command: builds every libFuzzer target with clang (AddressSanitizer
# and UndefinedBehaviorSanitizer) and runs each for SECONDS seconds with
# -rss_limit_mb=512 and -timeout=2, then prints per target the executions
# run and the result. A crash, leak, time-out or out-of-memory fails it.
# The time-out is far above the one second allowed to an entry point: the
# instrumented build runs several times slower than a plain one, and the
# machine is shared; fuzz/measure.sh times the plain build on large inputs.
#   scripts/fuzz.sh [SECONDS] [NAME_FILTER]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

SECONDS_PER_TARGET="${1:-60}"
FILTER="${2:-}"
BUILD="${ZX_FUZZ_BUILD:-$ZX_ROOT/build-fuzz}"
zx_install_packages
CC=clang CXX=clang++ zx_configure "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZX_BUILD_TESTS=OFF \
  -DZX_BUILD_FUZZ=ON -DZX_FUZZ_INSTRUMENT=ON >/dev/null
cmake --build "$BUILD" -j "$(zx_jobs)"

export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
status=0
printf '%-28s %12s  %s\n' target executions result
for src in "$ZX_ROOT"/fuzz/*_fuzz.cc; do
  [ -e "$src" ] || continue
  name="$(basename "$src" .cc)"
  case "$name" in *"$FILTER"*) ;; *) continue ;; esac
  corpus="$WORK/$name"
  mkdir -p "$corpus" "$WORK/artifacts-$name"
  seeds=()
  [ -d "$ZX_ROOT/fuzz/corpus/$name" ] && seeds+=("$ZX_ROOT/fuzz/corpus/$name")
  log="$WORK/$name.log"
  if "$BUILD/fuzz/$name" "$corpus" "${seeds[@]}" -max_total_time="$SECONDS_PER_TARGET" \
       -rss_limit_mb=512 -timeout=2 -print_final_stats=1 \
       -artifact_prefix="$WORK/artifacts-$name/" >"$log" 2>&1; then
    result=ok
  else
    result=FAILED
    status=1
  fi
  execs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')"
  printf '%-28s %12s  %s\n' "$name" "${execs:-?}" "$result"
  if [ "$result" = FAILED ]; then
    grep -E 'ERROR|SUMMARY|==[0-9]+==' "$log" | head -20 || true
    for a in "$WORK/artifacts-$name"/*; do
      [ -e "$a" ] && { echo "input: $a"; od -A x -t x1z "$a" | head -8; mkdir -p "$ZX_ROOT/fuzz/findings"; cp "$a" "$ZX_ROOT/fuzz/findings/"; }
    done
  fi
done
exit $status
