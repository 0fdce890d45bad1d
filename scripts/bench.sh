#!/usr/bin/env bash
# The benchmark command: builds the benchmarks optimised and runs each one.
# Each benchmark prints its times and the ratios it is judged by.
#   scripts/bench.sh [NAME_FILTER]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

BUILD="${ZX_BENCH_BUILD:-$ZX_ROOT/build-bench}"
zx_install_packages
zx_configure "$BUILD" -DCMAKE_BUILD_TYPE=Release -DZX_BUILD_TESTS=OFF -DZX_BUILD_BENCH=ON >/dev/null
cmake --build "$BUILD" -j "$(zx_jobs)"
status=0
for b in "$BUILD"/bench/*_bench; do
  [ -x "$b" ] || continue
  case "$(basename "$b")" in *"${1:-}"*) ;; *) continue ;; esac
  echo "== $(basename "$b")"
  "$b" || status=1
done
exit $status
