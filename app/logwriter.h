#ifndef LUMETRA_LOGWRITER_H
#define LUMETRA_LOGWRITER_H

#include <QByteArray>
#include <QString>

class QIODevice;

// The text with every control character written out ("\n" as the two characters
// \n, others as \xHH), so that no value inside it can start a log line of its own.
QString escapedLogText(const QString& text);

// Bytes as a person can read them in a log: printable ASCII as it is, every other
// byte (and the backslash) as \xHH.
QString escapedBytes(const QByteArray& bytes);

// One log line: the escaped text in Latin-1, a line feed, flushed at once so the
// log is complete up to its last line even if the process is killed.
void writeLogLine(QIODevice* log, const QString& line);

#endif
