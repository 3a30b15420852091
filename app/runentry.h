#ifndef LUMETRA_RUNENTRY_H
#define LUMETRA_RUNENTRY_H

#include "runoptions.h"

class QCoreApplication;
class QFile;

// The run of an accepted command line; takes over the log file and returns the
// exit code. Every log line goes to the console too, and a failed run ends there
// with one line that says why and where the log is.
int runChartJob(RunOptions options, QFile* log, QFile* console, QCoreApplication& app);

#endif
