// lumetra-measure: measures the pages of a job with the driver, for users and end-to-end tests.
#include "measurecommandline.h"
#include "measurerun.h"
#include "startup.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QFile out;
    QFile err;
    out.open(stdout, QIODevice::WriteOnly);
    err.open(stderr, QIODevice::WriteOnly);

    const MeasureCommandLine commandLine(Startup::argumentWords(argc, argv));
    const QStringList missing = commandLine.missingOptions();
    if (!missing.isEmpty()) {
        err.write(QStringLiteral("lumetra-measure: missing %1\n").arg(missing.join(QLatin1Char(' '))).toLocal8Bit()
                  + MeasureCommandLine::usageText().toLocal8Bit());
        return 1;
    }
    const QString refusal = commandLine.refusal();
    if (!refusal.isEmpty()) {
        err.write(QStringLiteral("lumetra-measure: %1\n").arg(refusal).toLocal8Bit());
        return 1;
    }
    MeasureRun run(commandLine.options(), out, err);
    return run.exec();
}
