#ifndef LUMETRA_BENCH_PROCESSFIGURES_H
#define LUMETRA_BENCH_PROCESSFIGURES_H

// CPU time of the calling thread and of the whole process, in seconds: the
// machine is shared, and wall time would count other programs' turns too.
double threadCpuSeconds();
double processCpuSeconds();

// A "<field> <n> kB" line of /proc/self/status ("VmHWM:", "RssAnon:") in kB, 0
// when unknown.
long processStatusKb(const char* field);

#endif
