#include "startup.h"

#include "commandline.h"
#include "logwriter.h"
#include "runentry.h"
#include "standardstreams.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <csignal>
#include <cstdio>

namespace Startup {

QStringList argumentWords()
{
    return QCoreApplication::arguments().mid(1);
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

namespace {

// Qt's own handler writes to standard error only where it finds a console; a
// Windows program run with its output redirected would send the usage text to a
// debugger instead. Formatted as Qt's handler does.
void messageToStandardError(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const QByteArray line = qFormatLogMessage(type, context, message).toLocal8Bit() + '\n';
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    std::fflush(stderr);
}

} // namespace

void prepareProcess()
{
    ignoreFileSizeSignal();
    StandardStreams::useBinaryMode();
    qInstallMessageHandler(messageToStandardError);
}

QString logPath(const QFile& log)
{
    // QFile gives its name back with '/' on every system.
    return QDir::toNativeSeparators(log.fileName());
}

QFile* openLogFile(QFile* console)
{
    const QString beside = QCoreApplication::applicationDirPath() + QDir::separator() + QStringLiteral("lumetralog.txt");
    auto* log = new QFile(beside);
    if (log->open(QIODevice::WriteOnly | QIODevice::Truncate))
        return log;
    // Installed in a system folder and run by a user, the executable's folder is not writable.
    const QString reason = log->errorString();
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (!folder.isEmpty() && QDir().mkpath(folder)) {
        log->setFileName(QDir(folder).filePath(QStringLiteral("lumetralog.txt")));
        if (log->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            writeLogLine(console, QStringLiteral("lumetra: the log cannot be written beside the executable (%1: %2); "
                                                 "it is written to %3")
                                      .arg(QDir::toNativeSeparators(beside), reason, logPath(*log)));
            return log;
        }
    }
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
    prepareProcess();
    const QStringList words = argumentWords();
    QFile out;
    QFile console;
    out.open(stdout, QIODevice::WriteOnly);
    console.open(stderr, QIODevice::WriteOnly);
    if (words == QStringList{QStringLiteral("--help")}) {
        out.write(CommandLine::usageText().toLocal8Bit());
        return 0;
    }
    if (words == QStringList{QStringLiteral("--version")}) {
        out.write("lumetra " LUMETRA_VERSION "\n");
        return 0;
    }

    // -preview is optional and not one of the thirteen.
    QString previewPng;
    const CommandLine commandLine(words, [&previewPng](const QString& option, const QString& value) {
        if (option != QLatin1String("-preview"))
            return false;
        previewPng = value;
        return true;
    });
    QFile* log = openLogFile(&console);
    if (!commandLine.isComplete()) {
        printUsage(log);
        QStringList missing;
        for (const QString& option : CommandLine::optionWords()) {
            if (!commandLine.has(option))
                missing << option;
        }
        writeLogLine(&console, QStringLiteral("lumetra: %1 of %2 option values given; missing: %3 (log: %4)")
                                   .arg(commandLine.valueCount())
                                   .arg(CommandLine::RequiredValues)
                                   .arg(missing.isEmpty() ? QStringLiteral("none") : missing.join(QLatin1Char(' ')),
                                        logPath(*log)));
        delete log;
        return 1;
    }
    RunOptions options = commandLine.options();
    options.undecodableArguments = undecodableArguments(argc, argv);
    options.previewPng = previewPng;
    return runChartJob(options, log, &console, app);
}

} // namespace Startup
