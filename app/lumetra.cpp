#include "lumetra.h"

#include "accelinstrument.h"
#include "chartrequest.h"
#include "logwriter.h"
#include "runpreflight.h"

#include "accelmeasparams_st.h"
#include "accelparams_st.h"
#include "measure.h"


namespace {
constexpr Measure::UnitCode Millimetre = 3;
} // namespace

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
    auto* page = new accelParams_st;
    job.setPageHeight(Measure(Millimetre, options.paperSizeY));
    job.setPageWidth(Measure(Millimetre, options.paperSizeX));
    page->setIt8FilePath(options.it8File);
    page->setPatchCountPerRow(options.patchPerRow);
    page->setPatchSizeX(Measure(Millimetre, options.patchSizeX));
    page->setPatchSizeY(Measure(Millimetre, options.patchSizeY));
    page->setNumChannels(options.numColor);
    page->setTotalPatchCount(options.numPatch);
    job.pages.append(page);

    PropertyMap map;
    job.toMap(map, eSaveValues);
    m_instrument->setTiffPath(options.outputTiff);
    m_instrument->setParams(map);

    return m_instrument->InitInstrument(options.prnConnType, options.prnAddr, options.prnModel)
        && m_instrument->checkAccelConnession()
        && m_instrument->AccelStart(2, QString(), QString());
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

void lumetra::doEnd()
{
    m_instrument->cleanupACCEL();
    writeLog(QStringLiteral("finished"));
    emit endCreateTiff();
}
