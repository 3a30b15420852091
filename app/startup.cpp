#include "startup.h"

#include "commandline.h"
#include "runentry.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>

#include <csignal>

namespace Startup {

QStringList argumentWords(int argc, char** argv)
{
    QStringList words;
    for (int i = 1; i < argc; ++i)
        words << QString::fromUtf8(argv[i]);
    return words;
}

QHash<QString, QByteArray> undecodableArguments(int argc, char** argv)
{
    QHash<QString, QByteArray> undecodable;
    for (int i = 1; i < argc; ++i) {
        const QByteArray given(argv[i]);
        const QString decoded = QFile::decodeName(given);
        if (QFile::encodeName(decoded) != given)
            undecodable.insert(decoded, given);
    }
    return undecodable;
}

void ignoreFileSizeSignal()
{
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
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
    ignoreFileSizeSignal();
    const CommandLine commandLine(argumentWords(argc, argv));
    QFile* log = openLogFile();
    if (!commandLine.isComplete()) {
        printUsage(log);
        delete log;
        return 1;
    }
    RunOptions options = commandLine.options();
    options.undecodableArguments = undecodableArguments(argc, argv);
    return runChartJob(options, log, app);
}

} // namespace Startup
