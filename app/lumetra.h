#ifndef LUMETRA_LUMETRA_H
#define LUMETRA_LUMETRA_H

#include "runoptions.h"

#include <QObject>
#include <QString>

class QIODevice;
class accelInstrument;

// The run controller: owns the instrument, writes its log lines, brings it up
// to an open print document, starts the chart and ends the run when the
// instrument reports the TIFF file complete.
class lumetra : public QObject
{
    Q_OBJECT

public:
    lumetra(const QString& accelPath, QIODevice* log);
    ~lumetra() override;

    bool startRun(RunOptions options);
    bool generateTiff();

    // Releases the SDK after a failed run, so no document stays open on the printer.
    void abandonRun();

signals:
    void endCreateTiff();

public slots:
    void writeLog(const QString& logLine);
    void doEnd();

private:
    accelInstrument* m_instrument;
    QIODevice* m_log;
};

#endif
