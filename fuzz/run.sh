#!/usr/bin/env bash
# Builds the target-file fuzzer with clang and runs it on a copy of the seed corpus.
# Usage: fuzz/run.sh <build folder> <seconds>
set -euo pipefail
if [ $# -ne 2 ]; then
    echo "usage: $0 <build folder> <seconds>" >&2
    exit 2
fi
build=$(realpath -m "$1")
seconds=$2
cd "$(dirname "$0")/.."

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DLUMETRA_BUILD_FUZZERS=ON -DLUMETRA_BUILD_TESTS=OFF -DLUMETRA_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzz_it8target

# The fuzzer adds what it finds to its corpus; the seeds in the repository stay as they are.
rm -rf "$build/corpus-run"
cp -r fuzz/corpus "$build/corpus-run"
"$build/bin/fuzz_it8target" -max_total_time="$seconds" -timeout=30 -dict=fuzz/it8.dict \
    -artifact_prefix="$build/" "$build/corpus-run"
