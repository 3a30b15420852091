#include "startup.h"

#include "commandline.h"
#include "runentry.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>

namespace Startup {

QStringList argumentWords(int argc, char** argv)
{
    QStringList words;
    for (int i = 1; i < argc; ++i)
        words << QString::fromUtf8(argv[i]);
    return words;
}

QFile* openLogFile()
{
    auto* log = new QFile(QCoreApplication::applicationDirPath() + QDir::separator() + QStringLiteral("lumetralog.txt"));
    if (!log->open(QIODevice::WriteOnly | QIODevice::Truncate))
        qDebug("Error opening log file");
    return log;
}

void printUsage(QFile* log)
{
    const QByteArray usage = CommandLine::usageText().toLatin1();
    QMessageLogger().debug("%s", usage.constData());
    if (log->isOpen())
        log->write(usage);
    log->close();
}

int run(int argc, char** argv, QCoreApplication& app)
{
    const CommandLine commandLine(argumentWords(argc, argv));
    QFile* log = openLogFile();
    if (!commandLine.isComplete()) {
        printUsage(log);
        delete log;
        return 1;
    }
    return runChartJob(commandLine.options(), log, app);
}

} // namespace Startup
