#!/usr/bin/env bash
# The test command: builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs every test through CTest. Any
# sanitizer report fails the run.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

BUILD="${ZX_TEST_BUILD:-$ZX_ROOT/build-asan}"
zx_install_packages
zx_configure "$BUILD" -DCMAKE_BUILD_TYPE=Debug -DZX_SANITIZE=ON -DZX_BUILD_TESTS=ON
cmake --build "$BUILD" -j "$(zx_jobs)"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
cd "$BUILD"
ctest --output-on-failure -j "$(zx_jobs)" --timeout 300

# Then every fuzz target for 20 seconds: a crash, leak, time-out or
# out-of-memory fails the run.
cd "$ZX_ROOT"
bash scripts/fuzz.sh "${ZX_FUZZ_SECONDS:-20}"
