#ifndef LUMETRA_RUNENTRY_H
#define LUMETRA_RUNENTRY_H

#include "runoptions.h"

class QCoreApplication;
class QFile;

// The run of an accepted command line; takes over the log file and returns the exit code.
int runChartJob(RunOptions options, QFile* log, QCoreApplication& app);

#endif
