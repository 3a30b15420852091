#!/usr/bin/env bash
# Builds the fuzzers with clang and runs each on a copy of its seed corpus.
# Usage: fuzz/run.sh <build folder> <seconds per fuzzer>
set -euo pipefail
if [ $# -ne 2 ]; then
    echo "usage: $0 <build folder> <seconds per fuzzer>" >&2
    exit 2
fi
build=$(realpath -m "$1")
seconds=$2
cd "$(dirname "$0")/.."

fuzzers=(it8target tiffopen propertymap)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DLUMETRA_BUILD_FUZZERS=ON -DLUMETRA_BUILD_TESTS=OFF -DLUMETRA_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${fuzzers[@]/#/fuzz_}"

for name in "${fuzzers[@]}"; do
    echo "-- fuzz_$name for $seconds s"
    # The fuzzer adds what it finds to its corpus; the seeds in the repository stay as they are.
    rm -rf "$build/corpus-$name"
    cp -r "fuzz/corpus/$name" "$build/corpus-$name"
    dict=()
    if [ -f "fuzz/$name.dict" ]; then dict=(-dict="fuzz/$name.dict"); fi
    # The memory limit fails the run on any input that makes a reader allocate gigabytes.
    "$build/bin/fuzz_$name" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=1536 "${dict[@]}" \
        -artifact_prefix="$build/$name-" "$build/corpus-$name"
done
