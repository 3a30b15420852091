#include "chartwriter.h"

#include "accelinstrument.h"
#include "accelmeasparams_st.h"
#include "instrumentreport.h"
#include "sdksession.h"

#include "chartgeometry.h"
#include "cit8toimageobj.h"

#include <QFile>
#include <QFileInfo>
#include <QMetaObject>

#include <cstring>

namespace {

int32_t channelCode(int channels)
{
    if (channels < 4)
        return 2;
    return channels == 4 ? 3 : 255;
}

ChartWriter* writerOf(void* user)
{
    return static_cast<ChartWriter*>(user);
}

} // namespace

ChartWriter::ChartWriter(SdkSession& session, accelMeasParams_st& job, InstrumentReport& report, QObject* instrument)
    : m_session(session)
    , m_job(job)
    , m_report(report)
    , m_instrument(instrument)
{
}

bool ChartWriter::generate()
{
    accelParams_st* page = m_job.getPage(0);
    if (page && QFile::exists(page->getIt8FilePath()))
        buildColorTable(page);
    if (!m_colorTable) {
        m_report.log(QStringLiteral("ACCEL: Color table missing. Try again specifying a valid it8 file"));
        reportMissingTarget(page);
        return false;
    }

    if (!m_session.isInitialized()) {
        m_colorTable.reset();
        return m_report.uninitialised("CreateChart failed");
    }
    int64_t width = 0, height = 0;
    const QString unfit = chartSize(page, width, height);
    if (!unfit.isEmpty()) {
        m_report.log(QStringLiteral("ACCEL: %1").arg(unfit));
        return chartFailed(unfit);
    }
    fillCreateChart(page, static_cast<unsigned>(width), static_cast<unsigned>(height));

    m_chartFile.restart();
    const unsigned answer = m_session.accel().functions.CreateChart(m_session.accel().mHandle, m_session.accel().mDoc, &m_chartRecord, 0, 0,
                                                          ChartCallBack, BeginChartCallBack, EndChartCallBack, this);
    m_colorTable.reset();
    m_chartRecord.mColorTable = nullptr;

    // The SDK's answer alone is not trusted: the file must be whole as well.
    QString reason;
    if (answer != 0 || !m_chartFile.commit(reason)) {
        m_chartFile.discard();
        if (answer == 0)
            m_report.log(QStringLiteral("ACCEL: %1").arg(reason));
        // What went wrong with the file, as a callback or the commit found it.
        return chartFailed(m_chartFile.failure());
    }
    m_report.log(QStringLiteral("TIFF generation successfully created"));
    return true;
}

// Logs that the chart failed, for the reason found, or for the SDK's refusal when none was.
bool ChartWriter::chartFailed(const QString& reason)
{
    m_colorTable.reset();
    const QString line = QStringLiteral("CreateChart failed");
    m_report.log(line);
    m_report.setErrorString(reason.isEmpty() ? line : reason);
    return false;
}

// The line after "Color table missing": the target in full and whether it is there. A target
// that is there but was not read keeps the reader's verdict as the reason.
void ChartWriter::reportMissingTarget(const accelParams_st* page)
{
    const QString given = page ? page->getIt8FilePath() : QString();
    if (given.isEmpty()) {
        m_report.reason(QStringLiteral("no it8 file is given for page 0"));
        return;
    }
    const QString path = QFileInfo(given).absoluteFilePath();
    if (QFile::exists(given))
        m_report.log(QStringLiteral("ACCEL: the it8 file %1 exists but gives no color table").arg(path));
    else
        m_report.reason(QStringLiteral("the it8 file %1 does not exist").arg(path));
}

// Chart width and height in millimetres; the reason when they cannot be laid out in the chart record.
QString ChartWriter::chartSize(accelParams_st* page, int64_t& width, int64_t& height)
{
    const int channels = page->getNumChannels();
    const int patchesPerRow = page->getPatchCountPerRow();
    if (channels < 1 || channels > int(sizeof m_chartRecord.mBackground) || patchesPerRow <= 0)
        return QStringLiteral("a chart of %1 channels and %2 patches per row cannot be made")
            .arg(channels)
            .arg(patchesPerRow);
    // The colour table was padded to whole rows.
    const int rows = page->getTotalPatchCount() / patchesPerRow;
    width = ChartGeometry::chartWidth(page->getPatchSizeX(Measure::Millimetre), patchesPerRow);
    height = ChartGeometry::chartHeight(page->getPatchSizeY(Measure::Millimetre), rows);
    if (!ChartGeometry::fitsRecord(width) || !ChartGeometry::fitsRecord(height)
        || !ChartGeometry::fitsRecord(page->getPatchSizeX(Measure::Millimetre))
        || !ChartGeometry::fitsRecord(page->getPatchSizeY(Measure::Millimetre)))
        return QStringLiteral("the chart of %1 x %2 mm does not fit the chart record").arg(width).arg(height);
    return QString();
}

bool ChartWriter::buildColorTable(accelParams_st* page)
{
    const QString path = page->getIt8FilePath();
    m_report.log(QStringLiteral("Building color table from %1").arg(path));
    CIt8ToImageObj target(path);
    // The computation loads the target and refuses one that was not read whole.
    if (target.ComputeLinearizationChart(1, 1, page->getPatchCountPerRow(), page->getNumChannels()) == 0) {
        m_report.log(QStringLiteral("Could not generate the color table from the it8 file."));
        m_report.failure(target.GetErrorText());
        return false;
    }
    page->setTotalPatchCount(target.GetTotalPatchCount());
    // A negative row length was taken from the target: the chart must use the same one.
    page->setPatchCountPerRow(target.GetPatchCountPerRow());
    const int size = target.GetTargetImageSize();
    m_colorTable.reset(new uint8_t[size_t(size)]);
    std::memcpy(m_colorTable.get(), target.GetTargetImage(), size_t(size));
    m_report.log(QStringLiteral("Colortable built."));
    m_report.log(QStringLiteral("TotalPatchcount=%1 PatchesPerRow=%2 ColorTableSize%3")
                   .arg(page->getTotalPatchCount())
                   .arg(page->getPatchCountPerRow())
                   .arg(size));
    return true;
}

void ChartWriter::fillCreateChart(accelParams_st* page, unsigned int width, unsigned int height)
{
    const int channels = page->getNumChannels();
    ChartRecord& r = m_chartRecord;
    r = ChartRecord{};
    r.mField0 = 1;
    r.mField4 = 1;
    r.mChannelCode = channelCode(channels);
    r.mPatchCount = page->getTotalPatchCount();
    r.mResolutionX = page->getResolutionX();
    r.mResolutionY = page->getResolutionY();
    r.mPatchWidth = page->getPatchSizeX(Measure::Millimetre) * 100;
    r.mPatchHeight = page->getPatchSizeY(Measure::Millimetre) * 100;
    if (r.mChannelCode == 2)
        std::memset(r.mBackground, 0xFF, 3);
    r.mPatchesPerRow = page->getPatchCountPerRow();
    for (int32_t& field : r.mField68)
        field = 300;
    r.mChartWidth = static_cast<int32_t>(width * 100);
    r.mChartHeight = static_cast<int32_t>(height * 100);
    r.mField116 = 4000;
    r.mField132 = 64;
    r.mColorTable = m_colorTable.get();
    r.mChannelCount = channels;
    r.mChartType = m_session.chartType();
}

unsigned ChartWriter::BeginChartCallBack(void* const, int, const void* data, void* user)
{
    ChartWriter* self = writerOf(user);
    const auto* chart = static_cast<const ChartCallbackData*>(data);
    if (!self || !chart || !chart->mChartRecord || self->m_chartClosed)
        return accelInstrument::ChartRefused;
    const ChartRecord& record = *chart->mChartRecord;
    self->m_report.log(QStringLiteral("Creating TIFF - width=%1 height=%2 resX=%3 resY=%4")
                         .arg(chart->mWidth)
                         .arg(chart->mHeight)
                         .arg(record.mResolutionX)
                         .arg(record.mResolutionY));
    QString error;
    if (!self->m_chartFile.begin(self->m_tiffPath, *chart, error)) {
        self->m_report.log(QStringLiteral("ACCEL: %1").arg(error));
        return accelInstrument::ChartRefused;
    }
    return 0;
}

unsigned ChartWriter::ChartCallBack(void* const, int, const void* data, void* user)
{
    ChartWriter* self = writerOf(user);
    const auto* chart = static_cast<const ChartCallbackData*>(data);
    if (!self || !chart)
        return accelInstrument::ChartRefused;
    QString error;
    if (!self->m_chartFile.writeLines(*chart, error)) {
        self->m_report.log(QStringLiteral("ACCEL: %1").arg(error));
        return accelInstrument::ChartRefused;
    }
    return 0;
}

unsigned ChartWriter::EndChartCallBack(void* const, int, const void*, void* user)
{
    ChartWriter* self = writerOf(user);
    if (!self || self->m_chartClosed.exchange(true))
        return 0;
    self->m_report.log(QStringLiteral("closing tiff"));
    // The file is saved once CreateChart has returned and every line is known to be in it.
    self->m_chartFile.end();
    QMetaObject::invokeMethod(self->m_instrument, "endCreateTiff", Qt::QueuedConnection);
    return 0;
}
