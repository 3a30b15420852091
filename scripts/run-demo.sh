#!/usr/bin/env bash
# Builds lumetra, lumetra-measure and the printer simulator, then runs the main job: the bundled
# six-ink sample target becomes a chart TIFF. Usage: scripts/run-demo.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --run-only
build=$(realpath -m "${1:-build}")
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMETRA_BUILD_TESTS=OFF -DLUMETRA_BUILD_BENCHMARKS=OFF \
      >/dev/null
cmake --build "$build" -j"$(nproc)" --target lumetra lumetra-measure accelsim
chart="$build/demo-chart.tif"
"$build/bin/lumetra" -accellpath "$build/accel-sim" -it8 "$PWD/samples/demo_cmykcm.it8" -tiffoutput "$chart" \
    -patchperrow 8 -patchsizex 8 -patchsizey 6 -papersizex 320 -papersizey 450 \
    -numcolor 6 -numpatch 36 -prnconntype 3 -prnaddr 127.0.0.1 -prnmodel ILS30EP
echo "Chart written to $chart; the run's log is $build/bin/lumetralog.txt"
