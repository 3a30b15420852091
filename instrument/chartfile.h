#ifndef LUMETRA_CHARTFILE_H
#define LUMETRA_CHARTFILE_H

#include "accelrecords.h"
#include "ctiffimg.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <mutex>

// The TIFF file of one chart as the SDK's callbacks fill it. The SDK is a closed
// library and may call back from several threads, out of order or with lines that
// do not fit: every batch is checked against the file made at the begin callback,
// and the file reaches its final name only through commit(), once every line of
// it was written. The callbacks may come from any thread; the lock is theirs.
class ChartFile
{
public:
    // Forgets any earlier chart, before the SDK is asked for a new one.
    void restart();
    // Creates the file for a chart of the given size. A begin after lines were
    // written fails the chart; one before any line starts the file anew.
    bool begin(const QString& path, const ChartCallbackData& data, QString& error);
    // Checks and writes one batch of lines; channels beyond the fourth are stored
    // inverted. False, with the chart failed, for a batch that does not fit.
    bool writeLines(const ChartCallbackData& data, QString& error);
    // No line is accepted after the end.
    void end();
    // Saves the file under its final name; false with the reason when the chart
    // failed, is not complete or cannot be saved. A failed chart leaves no file.
    bool commit(QString& error);
    void discard();
    // Why the chart failed, in a callback or at commit; empty while it has not.
    QString failure() const;

private:
    bool fail(QString& error, const QString& reason);
    bool writeLine(const uint8_t* source, QString& error);

    mutable std::mutex m_mutex;
    CTiffImg m_tiff;
    QString m_path;
    bool m_open = false;
    bool m_ended = false;
    bool m_failed = false;
    // The reason of a failure met by a callback, for commit() to repeat.
    QString m_failure;
    int32_t m_width = 0;
    int32_t m_height = 0;
    int32_t m_channels = 0;
    int32_t m_linesWritten = 0;
    QByteArray m_line;
};

#endif
