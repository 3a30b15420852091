#!/usr/bin/env bash
# Builds lumetra and runs its main job. Usage: scripts/run-demo.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${1:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target lumetra
status=0
"$build/bin/lumetra" || status=$?
echo "lumetra exited with $status; its log is $build/bin/lumetralog.txt"
