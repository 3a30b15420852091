#include "runentry.h"

#include "lumetra.h"

#include <QCoreApplication>
#include <QFile>

namespace {

lumetra* runController = nullptr;
QFile* processLog = nullptr;

// Runs when the application object is destroyed, at the very end of main.
void exitRoutine()
{
    delete runController;
    runController = nullptr;
    if (processLog) {
        processLog->close();
        delete processLog;
        processLog = nullptr;
    }
}

int failedRun()
{
    runController->abandonRun();
    return 1;
}

} // namespace

int runChartJob(RunOptions options, QFile* log, QCoreApplication& app)
{
    processLog = log;
    runController = new lumetra(options.accelPath, log);
    qAddPostRoutine(exitRoutine);
    QObject::connect(runController, SIGNAL(endCreateTiff()), &app, SLOT(quit()));
    if (!runController->startRun(options))
        return failedRun();
    if (!runController->generateTiff())
        return failedRun();
    return app.exec();
}
