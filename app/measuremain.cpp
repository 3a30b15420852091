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
    Startup::prepareProcess();
    QFile err;
    err.open(stderr, QIODevice::WriteOnly);

    const MeasureCommandLine commandLine(Startup::argumentWords());
    const QStringList missing = commandLine.missingOptions();
    if (!missing.isEmpty()) {
        err.write(QStringLiteral("lumetra-measure: missing %1\n").arg(missing.join(QLatin1Char(' '))).toLocal8Bit()
                  + MeasureCommandLine::usageText().toLocal8Bit());
        return 1;
    }
    MeasureOptions options = commandLine.options();
    options.run.undecodableArguments = Startup::undecodableArguments(argc, argv);
    QString refusal = commandLine.refusal();
    const std::pair<const char*, const QString&> paths[] = {
        {"-accellpath", options.run.accelPath}, {"-it8", options.run.it8File}, {"-datafolder", options.dataFolder}};
    for (const auto& path : paths) {
        if (refusal.isEmpty())
            refusal = options.run.undecodablePathRefusal(path.first, path.second);
    }
    // Before the SDK is loaded: a target that cannot be measured leaves the printer untouched.
    if (refusal.isEmpty())
        refusal = options.layOutTarget();
    if (!refusal.isEmpty()) {
        err.write(QStringLiteral("lumetra-measure: %1\n").arg(refusal).toLocal8Bit());
        return 1;
    }
    MeasureRun run(options, stdout, stderr);
    return run.exec();
}
