#include "lumetra.h"

#include "accelinstrument.h"
#include "chartpreview.h"
#include "chartrequest.h"
#include "logwriter.h"
#include "runpreflight.h"
#include "targetinks.h"

#include "accelmeasparams_st.h"
#include "accelsetup.h"

lumetra::lumetra(const QString& accelPath, QIODevice* log, QIODevice* console)
    : m_instrument(new accelInstrument(accelPath))
    , m_log(log)
    , m_console(console)
{
    // Direct, so that the lines of the SDK's threads are written when they happen,
    // not after the main thread's later ones.
    connect(m_instrument, SIGNAL(addLogLine(const QString&)), this, SLOT(writeLog(const QString&)),
            Qt::DirectConnection);
    connect(m_instrument, SIGNAL(endCreateTiff()), this, SLOT(doEnd()));
}

// The instrument is deliberately left alive: the SDK may still hold pointers into it
// until the process ends.
lumetra::~lumetra() = default;

bool lumetra::startRun(RunOptions options)
{
    m_options = options;
    for (const QString& line : options.logLines())
        writeLog(line);

    const QString refusal = ChartRequest(options).refusal();
    if (!refusal.isEmpty())
        return refuse(refusal);
    const RunPreflight preflight(options);
    if (!preflight.refusal().isEmpty())
        return refuse(preflight.refusal());
    for (const QString& warning : preflight.warnings())
        writeLog(warning);

    accelMeasParams_st job;
    options.jobRequest().fillJob(job);
    PropertyMap map;
    job.toMap(map, eSaveValues);
    m_instrument->setTiffPath(options.outputTiff);
    m_instrument->setParams(map);

    return accelBringUp(*m_instrument, options.printer(), accelInstrument::ChartDocument);
}

bool lumetra::generateTiff()
{
    return m_instrument->GenerateTiff();
}

void lumetra::abandonRun()
{
    m_instrument->cleanupACCEL();
    // A chart that ended before the run failed must not end it as a success.
    disconnect(m_instrument, SIGNAL(endCreateTiff()), this, SLOT(doEnd()));
}

QString lumetra::failureReason() const
{
    std::lock_guard<std::mutex> lock(m_logMutex);
    if (!m_refusal.isEmpty())
        return m_refusal;
    const QString driverReason = m_instrument->errorString();
    return driverReason.isEmpty() ? m_lastLine : driverReason;
}

bool lumetra::refuse(const QString& line)
{
    writeLog(line);
    std::lock_guard<std::mutex> lock(m_logMutex);
    m_refusal = line;
    return false;
}

void lumetra::writeLog(const QString& logLine)
{
    std::lock_guard<std::mutex> lock(m_logMutex);
    writeLogLine(m_log, logLine);
    writeLogLine(m_console, logLine);
    m_lastLine = logLine;
}

void lumetra::writePreview()
{
    const QString& path = m_options.previewPng;
    ChartPreview preview(PreviewOptions{TargetInks::lettersFor(m_options.it8File, m_options.numColor), 0, false});
    QString failure = m_options.undecodablePathRefusal("-preview", path);
    if (failure.isEmpty() && !preview.write(m_options.outputTiff, path))
        failure = preview.errorText();
    if (failure.isEmpty())
        writeLog(QStringLiteral("Preview written to %1").arg(path));
    else
        writeLog(QStringLiteral("lumetra: warning: no preview of the chart: %1").arg(failure));
}

void lumetra::doEnd()
{
    m_instrument->cleanupACCEL();
    // The printer is released first: the picture needs only the committed chart.
    if (!m_options.previewPng.isEmpty())
        writePreview();
    writeLog(QStringLiteral("finished"));
    emit endCreateTiff();
}
