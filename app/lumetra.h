#ifndef LUMETRA_LUMETRA_H
#define LUMETRA_LUMETRA_H

#include "runoptions.h"

#include <QObject>
#include <QString>

#include <mutex>

class QIODevice;
class accelInstrument;

// The run controller: owns the instrument, writes its log lines, brings it up
// to an open print document, starts the chart and ends the run when the
// instrument reports the TIFF file complete.
class lumetra : public QObject
{
    Q_OBJECT

public:
    // Log lines go to the log and, when there is one, to the console as well.
    lumetra(const QString& accelPath, QIODevice* log, QIODevice* console = nullptr);
    ~lumetra() override;

    bool startRun(RunOptions options);
    bool generateTiff();

    // Releases the SDK after a failed run, so no document stays open on the printer.
    void abandonRun();
    // Why the run failed, as one line for the operator.
    QString failureReason() const;

signals:
    void endCreateTiff();

public slots:
    void writeLog(const QString& logLine);
    void doEnd();

private:
    bool refuse(const QString& line);
    // The chart's picture, when asked for; a picture that cannot be written is a
    // warning, not a failed chart.
    void writePreview();

    accelInstrument* m_instrument;
    RunOptions m_options;
    QIODevice* m_log;
    QIODevice* m_console;
    // The SDK's threads log directly, so that the log keeps the order of events.
    mutable std::mutex m_logMutex;
    QString m_refusal;
    QString m_lastLine;
};

#endif
