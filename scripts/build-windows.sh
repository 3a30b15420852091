#!/usr/bin/env bash
# Cross-builds lumetra for 64-bit Windows with MinGW-w64 and tests it under Wine: the programs, the
# simulator (ACCEL.dll) and the tests, then the demo chart (compared byte for byte with the Linux
# one) and the whole test suite. Qt, libtiff, libpng and GoogleTest for Windows are built once from
# Debian's source packages into a cache folder outside the checkout (scripts/windows-prefix.sh).
# Usage: scripts/build-windows.sh [build folder]
#   LUMETRA_WINDOWS_CACHE: the cache folder (default ~/.cache/lumetra-windows)
set -euo pipefail
cd "$(dirname "$0")/.."
source=$PWD
build=$(realpath -m "${1:-build-win}")
jobs=$(nproc)
start=$SECONDS

say() { echo "== windows: $* ($((SECONDS - start)) s) =="; }

say "packages"
bash scripts/install-deps.sh --windows

say "Qt, libtiff, libpng and GoogleTest for Windows"
prefix=$(JOBS=$jobs bash scripts/windows-prefix.sh | tail -n1)

say "the Linux demo chart, the reference"
bash scripts/run-demo.sh build >/dev/null
reference=$source/build/demo-chart.tif

say "cross-building into $build"
# Without debug information: nothing is debugged under Wine here, and it slows the links.
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-w64-x86_64.cmake" \
      -DLUMETRA_WINDOWS_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
      -DLUMETRA_BUILD_TESTS=ON -DLUMETRA_BUILD_BENCHMARKS=OFF \
      -DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v wine)" \
      -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST \
      -DLUMETRA_REFERENCE_CHART="$reference" >/dev/null
cmake --build "$build" -j"$jobs"

# Wine of its own: a prefix in the build folder, quiet, without the Mono and Gecko installers, and
# the DLLs of the MinGW runtime, Qt, libtiff, zlib and the build on its search path.
windows_path() { local p; p=$(realpath -m "$1"); echo "Z:${p//\//\\}"; }
export WINEPREFIX=$build/wine
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
runtime_folders=("$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")"
                 /usr/x86_64-w64-mingw32/lib "$prefix/bin" "$build/bin")
WINEPATH=""
for folder in "${runtime_folders[@]}"; do
    WINEPATH+="${WINEPATH:+;}$(windows_path "$folder")"
done
export WINEPATH
declare -p WINEPREFIX WINEDEBUG WINEDLLOVERRIDES WINEPATH | sed 's/^declare -x/export/' >"$build/wine-env.sh"
# Wine's server and services would otherwise start inside the first test and hold ctest's pipes
# open; started here, they are stopped again however this script ends.
stop_wine() { wineserver -k 2>/dev/null || true; }
trap stop_wine EXIT
say "starting Wine"
mkdir -p "$WINEPREFIX"
wineserver -p
wineboot -i >/dev/null 2>&1

say "the demo under Wine"
chart=$build/demo-chart.tif
rm -f "$chart"
wine "$build/bin/lumetra.exe" -accellpath "$(windows_path "$build/accel-sim")" \
    -it8 "$(windows_path "$source/samples/demo_cmykcm.it8")" -tiffoutput "$(windows_path "$chart")" \
    -patchperrow 8 -patchsizex 8 -patchsizey 6 -papersizex 320 -papersizey 450 \
    -numcolor 6 -numpatch 36 -prnconntype 3 -prnaddr 127.0.0.1 -prnmodel ILS30EP
if ! cmp "$chart" "$reference"; then
    echo "The Windows demo chart $chart differs from the Linux one, $reference" >&2
    exit 1
fi
echo "The Windows demo chart equals the Linux one byte for byte"

say "the tests under Wine"
ctest --test-dir "$build" --output-on-failure -j"$jobs" --timeout 600
say "done"
