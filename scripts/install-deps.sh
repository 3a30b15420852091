#!/usr/bin/env bash
# Installs the Debian packages the build, tests, benchmarks and fuzzers need, only when missing.
# Usage: scripts/install-deps.sh [--run-only | --windows]
set -euo pipefail

# --run-only: what building and running the tools needs, without tests, benchmarks and fuzzers.
# --windows: everything, and what the Windows build needs besides: MinGW-w64 with posix threads,
# zlib for it, Wine to run the results, and dpkg-dev to unpack Debian's source packages.
packages=(cmake make g++ qtbase5-dev libtiff-dev libpng-dev)
if [ "${1:-}" != "--run-only" ]; then
    packages+=(clang libclang-rt-14-dev libtiff-tools libgtest-dev libbenchmark-dev doxygen)
fi
if [ "${1:-}" = "--windows" ]; then
    packages+=(g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64 wine dpkg-dev xz-utils)
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
