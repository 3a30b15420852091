#ifndef LUMETRA_BENCH_BENCHMARKMAIN_H
#define LUMETRA_BENCH_BENCHMARKMAIN_H

// Runs the registered benchmarks as BENCHMARK_MAIN does, for mains that set up
// a Qt application or a child process of their own first.
int runBenchmarks(int argc, char** argv);

#endif
