#ifndef LUMETRA_STARTUP_H
#define LUMETRA_STARTUP_H

#include <QByteArray>
#include <QHash>
#include <QStringList>

class QCoreApplication;
class QFile;

// Start-up of the console tool: options, log file, usage or run.
namespace Startup {

// The command-line words after the program name, decoded as UTF-8.
QStringList argumentWords(int argc, char** argv);
// The words whose bytes the file-name encoding cannot give back once decoded, by
// their decoding.
QHash<QString, QByteArray> undecodableArguments(int argc, char** argv);

// A file-size limit (ulimit -f) then fails the write that exceeds it, which the
// run reports, instead of killing the process and leaving a temporary file behind.
void ignoreFileSizeSignal();

// "lumetralog.txt" beside the executable, truncated, or, when that cannot be
// written, in the user's data folder, which the console is told. Never null; when
// neither can be opened the file object stays closed and everything written to it
// is lost.
QFile* openLogFile(QFile* console);

// Emits the usage text on the debug channel and as the whole log, then closes the log.
void printUsage(QFile* log);

int run(int argc, char** argv, QCoreApplication& app);

} // namespace Startup

#endif
