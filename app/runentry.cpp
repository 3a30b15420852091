#include "runentry.h"

#include "logwriter.h"
#include "lumetra.h"
#include "startup.h"

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

int failedRun(QFile* console)
{
    runController->abandonRun();
    QString reason = runController->failureReason();
    for (const QLatin1String prefix : {QLatin1String("lumetra: "), QLatin1String("ACCEL: ")}) {
        if (reason.startsWith(prefix))
            reason.remove(0, prefix.size());
    }
    const QString log = processLog->isOpen() ? Startup::logPath(*processLog) : QStringLiteral("none");
    writeLogLine(console, QStringLiteral("lumetra: %1 (log: %2)").arg(reason, log));
    return 1;
}

} // namespace

int runChartJob(RunOptions options, QFile* log, QFile* console, QCoreApplication& app)
{
    processLog = log;
    runController = new lumetra(options.accelPath, log, console);
    qAddPostRoutine(exitRoutine);
    QObject::connect(runController, SIGNAL(endCreateTiff()), &app, SLOT(quit()));
    if (!runController->startRun(options))
        return failedRun(console);
    if (!runController->generateTiff())
        return failedRun(console);
    return app.exec();
}
