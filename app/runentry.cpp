#include "runentry.h"

#include "logwriter.h"

#include <QCoreApplication>
#include <QFile>

namespace {

QFile* processLog = nullptr;

void exitRoutine()
{
    if (processLog) {
        processLog->close();
        delete processLog;
        processLog = nullptr;
    }
}

} // namespace

int runChartJob(RunOptions options, QFile* log, QCoreApplication& app)
{
    Q_UNUSED(app);
    processLog = log;
    qAddPostRoutine(exitRoutine);
    for (const QString& line : options.logLines())
        writeLogLine(log, line);
    // The chart path is not available in this build: the run cannot complete.
    return 1;
}
