#ifndef LUMETRA_MEASURERUN_H
#define LUMETRA_MEASURERUN_H

#include "accelinstrument.h"
#include "measureoptions.h"

#include <QEventLoop>
#include <QObject>
#include <QStringList>

class QIODevice;

// A run of lumetra-measure: sets the instrument up, measures the job's pages one
// after the other, each in a document of its own, and releases the SDK. Log
// lines go to `err`; progress texts and data file paths to `out`; one per line.
class MeasureRun : public QObject
{
    Q_OBJECT

public:
    MeasureRun(const MeasureOptions& options, QIODevice& out, QIODevice& err);
    ~MeasureRun() override;

    // The exit code: 0 when every page ended with success and left its data file.
    int exec();

private slots:
    void writeLog(const QString& line);
    void writeProgress(const QString& text);
    void takeDataFile(const QString& path);
    void endPage(bool success);

private:
    bool connectInstrument();
    bool measurePages();
    bool measurePage(int page);
    void release();
    void fail(const QString& why);
    static void writeLine(QIODevice& device, const QString& line);

    MeasureOptions m_options;
    QIODevice& m_out;
    QIODevice& m_err;
    accelInstrument m_instrument;
    QEventLoop m_pageWait;
    bool m_pageEnded = false;
    bool m_pageSucceeded = false;
    int m_pageDataFiles = 0;
};

#endif
