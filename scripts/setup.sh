#!/usr/bin/env bash
# Installs the build packages that are missing (when run as root on Debian)
# and configures a build folder. Sourced by the other scripts.
#   zx_setup BUILD_DIR [cmake options...]
set -euo pipefail

ZX_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
ZX_PACKAGES=(cmake ninja-build g++ pkg-config zlib1g-dev libexpat1-dev libgtest-dev libgmock-dev
             libbenchmark-dev nlohmann-json3-dev libsqlite3-dev clang libclang-rt-14-dev)

zx_install_packages() {
  local missing=()
  for p in "${ZX_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ] || ! command -v apt-get >/dev/null; then
    echo "missing packages: ${missing[*]} (install them, or run as root on Debian)" >&2
    return 1
  fi
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

zx_configure() {
  local dir="$1"; shift
  cmake -S "$ZX_ROOT" -B "$dir" -G Ninja "$@"
}

zx_jobs() { nproc 2>/dev/null || echo 2; }
