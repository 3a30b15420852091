#ifndef LUMETRA_STARTUP_H
#define LUMETRA_STARTUP_H

#include <QByteArray>
#include <QHash>
#include <QStringList>

class QCoreApplication;
class QFile;

// Start-up of the console tool: options, log file, usage or run.
namespace Startup {

// The command-line words after the program name, as the application object
// decoded them (UTF-8 bytes here, the UTF-16 command line on Windows).
QStringList argumentWords();
// The words whose bytes the file-name encoding cannot give back once decoded, by
// their decoding.
QHash<QString, QByteArray> undecodableArguments(int argc, char** argv);

// A file-size limit (ulimit -f) then fails the write that exceeds it, which the
// run reports, instead of killing the process and leaving a temporary file behind.
void ignoreFileSizeSignal();

// What both tools need before anything is written: the file-size signal ignored,
// standard output and error in binary mode, and every message of Qt's debug
// channel on standard error, once, where Windows would hand it to a debugger.
void prepareProcess();

// "lumetralog.txt" beside the executable, truncated, or, when that cannot be
// written, in the user's data folder, which the console is told. Never null; when
// neither can be opened the file object stays closed and everything written to it
// is lost.
QFile* openLogFile(QFile* console);

// The log's path as the user's system spells it, for messages.
QString logPath(const QFile& log);

// Emits the usage text on the debug channel (standard error) and as the whole log,
// then closes the log.
void printUsage(QFile* log);

int run(int argc, char** argv, QCoreApplication& app);

} // namespace Startup

#endif
