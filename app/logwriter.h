#ifndef LUMETRA_LOGWRITER_H
#define LUMETRA_LOGWRITER_H

#include <QString>

class QIODevice;

// One log line: the text in Latin-1, a line feed, flushed at once so the log
// is complete up to its last line even if the process is killed.
void writeLogLine(QIODevice* log, const QString& line);

#endif
