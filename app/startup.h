#ifndef LUMETRA_STARTUP_H
#define LUMETRA_STARTUP_H

#include <QStringList>

class QCoreApplication;
class QFile;

// Start-up of the console tool: options, log file, usage or run.
namespace Startup {

// The command-line words after the program name, decoded as UTF-8.
QStringList argumentWords(int argc, char** argv);

// "lumetralog.txt" beside the executable, truncated. Never null; when it cannot
// be opened the file object stays closed and everything written to it is lost.
QFile* openLogFile();

// Emits the usage text on the debug channel and as the whole log, then closes the log.
void printUsage(QFile* log);

int run(int argc, char** argv, QCoreApplication& app);

} // namespace Startup

#endif
