#include "lumetra.h"

#include "accelinstrument.h"
#include "chartrequest.h"
#include "logwriter.h"

#include "accelmeasparams_st.h"
#include "accelparams_st.h"
#include "measure.h"

#include <QCoreApplication>

namespace {
constexpr unsigned long Millimetre = 3;
} // namespace

lumetra::lumetra(const QString& accelPath, QIODevice* log)
    : m_instrument(new accelInstrument(accelPath))
    , m_log(log)
{
    connect(m_instrument, SIGNAL(addLogLine(const QString&)), this, SLOT(writeLog(const QString&)));
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
    if (!refusal.isEmpty()) {
        writeLog(refusal);
        return false;
    }

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
    // Lines the SDK's threads logged are still queued: deliver them, but not the end of a run.
    disconnect(m_instrument, SIGNAL(endCreateTiff()), this, SLOT(doEnd()));
    QCoreApplication::sendPostedEvents();
}

void lumetra::writeLog(const QString& logLine)
{
    writeLogLine(m_log, logLine);
}

void lumetra::doEnd()
{
    m_instrument->cleanupACCEL();
    writeLogLine(m_log, QStringLiteral("finished"));
    emit endCreateTiff();
}
