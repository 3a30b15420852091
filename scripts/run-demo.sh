#!/usr/bin/env bash
# Builds lumetra, lumetra-measure, lumetra-preview and the printer simulator, then runs the main job:
# the bundled six-ink sample target becomes a chart TIFF and its PNG picture. Usage: scripts/run-demo.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --run-only
build=$(realpath -m "${1:-build}")
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMETRA_BUILD_TESTS=OFF -DLUMETRA_BUILD_BENCHMARKS=OFF \
      >/dev/null
cmake --build "$build" -j"$(nproc)" --target lumetra lumetra-measure lumetra-preview accelsim
chart="$build/demo-chart.tif"
picture="$build/demo-chart.png"
rm -f "$picture"
"$build/bin/lumetra" -accellpath "$build/accel-sim" -it8 "$PWD/samples/demo_cmykcm.it8" -tiffoutput "$chart" \
    -patchperrow 8 -patchsizex 8 -patchsizey 6 -papersizex 320 -papersizey 450 \
    -numcolor 6 -numpatch 36 -prnconntype 3 -prnaddr 127.0.0.1 -prnmodel ILS30EP -preview "$picture"
# A picture that cannot be written is only a warning to lumetra; the demo promises one.
test -s "$picture"
echo "Chart written to $chart, its picture to $picture; the run's log is $build/bin/lumetralog.txt"
