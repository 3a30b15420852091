#include "pagemeasurement.h"

#include "accelinstrument.h"
#include "accelmeasparams_st.h"
#include <kelvora/devfile.h>
#include "instrumentreport.h"
#include "sdksession.h"

#include <QDir>
#include <QMetaObject>

#include <cstring>
#include <limits>
#include <new>

namespace {

// An SDK that reports more blocks or bytes for one page is at fault, and following it would keep
// the status callback looping or the memory growing. A page of a few thousand patches comes in a
// few blocks (one per result kind, at most one per row: a few hundred) of a few megabytes in all
// (every result kind, 81 spectral bands as doubles): both bounds leave a margin of ten or more.
constexpr int32_t MaxPageDataBlocks = 4096;
constexpr int64_t MaxPageDataBytes = int64_t(256) << 20;

bool fitsField(int64_t value)
{
    return value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max();
}

// Where the spectrophotometer finds a page's patches, in hundredths of a millimetre.
struct PatchGrid
{
    int32_t rows = 0;
    int32_t patchWidth = 0;
    int32_t rowPitch = 0;
    int32_t startX = 0;
    int32_t startY = 0;
};

// Worked out in 64 bits from whole millimetres; false when a value does not fit
// the record's 32-bit fields. patchesPerRow must be positive.
bool patchGridOf(const accelParams_st& page, PatchGrid& grid)
{
    const int64_t rows = page.getTotalPatchCount() / page.getPatchCountPerRow();
    const int64_t width = int64_t(page.getPatchSizeX(Measure::Millimetre)) * 100;
    const int64_t height = int64_t(page.getPatchSizeY(Measure::Millimetre)) * 100;
    // With take-up the page runs backwards: negative pitch, starting at the last row.
    const int64_t pitch = page.getTakeUp() ? -height : height;
    const int64_t startX = (int64_t(page.getOffsetX(Measure::Millimetre)) - 10) * 100;
    if (!fitsField(width) || !fitsField(height) || !fitsField(pitch) || !fitsField(startX))
        return false;
    int64_t startY = height / 2 + int64_t(page.getOffsetY(Measure::Millimetre)) * 100;
    if (page.getTakeUp())
        startY -= (rows - 1) * pitch;
    if (!fitsField(startY))
        return false;
    grid.rows = int32_t(rows);
    grid.patchWidth = int32_t(width);
    grid.rowPitch = int32_t(pitch);
    grid.startX = int32_t(startX);
    grid.startY = int32_t(startY);
    return true;
}

// The 0-based job index of the SDK's 1-based page; pages below 1 give -1, no page of any job.
int pageIndexOf(int sdkPage)
{
    return sdkPage >= 1 ? sdkPage - 1 : -1;
}

QString percentText(int32_t percent)
{
    return QStringLiteral("%1 %").arg(percent);
}

// Why block `index` of `length` bytes at `bytes` cannot join the `pageBytes` the page already has; empty if it can.
QString blockRefusal(int32_t index, int32_t length, const void* bytes, int64_t pageBytes)
{
    if (length < 0 || (length > 0 && !bytes))
        return QStringLiteral("ACCEL: Accel_Measurement block %1 of %2 bytes cannot be read").arg(index).arg(length);
    const int64_t total = pageBytes + length;
    if (total > MaxPageDataBytes)
        return QStringLiteral("ACCEL: Accel_Measurement block %1 of %2 bytes takes the page's data to %3 bytes, "
                              "beyond the bound of %4")
            .arg(index)
            .arg(length)
            .arg(total)
            .arg(MaxPageDataBytes);
    return QString();
}

} // namespace

PageMeasurement::PageMeasurement(SdkSession& session, const accelMeasParams_st& job, InstrumentReport& report,
                                 accelInstrument& instrument)
    : m_session(session)
    , m_job(job)
    , m_report(report)
    , m_instrument(instrument)
    , m_measurementRecord(new MeasurementRecord())
{
}

void PageMeasurement::prepare(const QString& dataFilePrefix, const QString& dataFolder)
{
    useNoDryingList();
    m_dataFilePrefix = dataFilePrefix;
    m_dataFolder = dataFolder;
    std::memset(m_measurementRecord.get(), 0, sizeof(MeasurementRecord));
}

bool PageMeasurement::printDocument()
{
    if (!m_session.isInitialized())
        return m_report.uninitialised("ACCEL: PrintDoc error");
    const _AccelStruct& accel = m_session.accel();
    accel.functions.SetPrintOption(accel.mHandle, accel.mDoc, 5000);
    if (accel.functions.PrintDoc(accel.mHandle, accel.mDoc, Accel_StatusCallBack, this) != 0) {
        m_report.failure(QStringLiteral("ACCEL: PrintDoc error"));
        return false;
    }
    return true;
}

// ---- page set-up ------------------------------------------------------------------------------

unsigned PageMeasurement::startPage(int page)
{
    if (!m_session.isInitialized()) {
        m_report.failure(QStringLiteral("ACCEL: StartPage page %1 without an initialised SDK").arg(page));
        return accelInstrument::PageFailed;
    }
    const accelParams_st* params = fillMeasurementRecord(page);
    if (!params)
        return accelInstrument::PageFailed;
    if (params->getDryType() == 1)
        fillArtificialDryingList(page);
    else
        useNoDryingList();
    _AccelStruct& accel = m_session.accel();
    const unsigned answer = accel.functions.MeasurePage(accel.mHandle, accel.mDoc, m_dryingList,
                                                          m_dryingEntryCount, m_measurementRecord.get(), 1);
    accel.mEndFlag = 0;
    if (answer != 0)
        m_report.setErrorString(QStringLiteral("ACCEL: StartPage MeasurePage error"));
    return answer;
}

const accelParams_st* PageMeasurement::measurablePage(int page)
{
    const accelParams_st* params = m_job.getPage(page);
    if (!params) {
        m_report.failure(QStringLiteral("ACCEL: page %1 is not a page of the job, which has %2")
                       .arg(page)
                       .arg(m_job.pages.size()));
        return nullptr;
    }
    if (params->getPatchCountPerRow() <= 0) {
        m_report.failure(QStringLiteral("ACCEL: page %1 has %2 patches per row and cannot be measured")
                       .arg(page)
                       .arg(params->getPatchCountPerRow()));
        return nullptr;
    }
    return params;
}

const accelParams_st* PageMeasurement::fillMeasurementRecord(int page)
{
    const accelParams_st* params = measurablePage(page);
    if (!params)
        return nullptr;
    PatchGrid grid;
    if (!patchGridOf(*params, grid)) {
        m_report.failure(QStringLiteral("ACCEL: page %1 has lengths that do not fit the measurement record").arg(page));
        return nullptr;
    }

    const unsigned measureType = params->getMeasureType();
    MeasurementRecord& r = *m_measurementRecord;
    r.mField0 = 1;
    r.mPageNumber = page + 1;
    r.mField8 = 1;
    // Each page asks for its own result kinds only.
    r.mSpectral = measureType == 0;
    r.mLab = measureType <= 1;
    r.mXYZ = measureType == 2;
    r.mYxy = measureType == 3;
    r.mLch = measureType == 4;
    r.mCalibration = params->getCalibType();
    r.mField36 = 1;
    r.mField40 = 0;
    r.mchartType = m_session.chartType();
    r.mField48 = 1;
    r.mPatchCountX = params->getPatchCountPerRow();
    r.mPatchCountY = grid.rows;
    r.mPatchSizeWidth = grid.patchWidth;
    r.mPatchSizeHeight = grid.rowPitch;
    r.mStartPositionX = grid.startX;
    r.mStartPositionY = grid.startY;
    r.mField76 = 1;
    r.mField565288 = 0;
    r.mUVFilter = params->getUVFilter();
    r.mM0 = params->getMm0();

    m_report.log(QStringLiteral("MeasureType %1").arg(measureType));
    m_report.log(QStringLiteral("mCalibration %1").arg(r.mCalibration));
    m_report.log(QStringLiteral("mPatchCountX %1").arg(r.mPatchCountX));
    m_report.log(QStringLiteral("mPatchCountY %1").arg(r.mPatchCountY));
    m_report.log(QStringLiteral("TakeUp %1").arg(params->getTakeUp() ? 1 : 0));
    m_report.log(QStringLiteral("mPatchSizeWidth %1").arg(r.mPatchSizeWidth));
    m_report.log(QStringLiteral("mPatchSizeHeight %1").arg(r.mPatchSizeHeight));
    if (params->getTakeUp())
        m_report.log(QStringLiteral("OffsetY %1").arg(params->getOffsetY(Measure::Millimetre)));
    m_report.log(QStringLiteral("mStartPositionX %1").arg(r.mStartPositionX));
    m_report.log(QStringLiteral("mStartPositionY %1").arg(r.mStartPositionY));
    m_report.log(QStringLiteral("mchartType %1").arg(r.mchartType));
    m_report.log(QStringLiteral("mUVFilter %1").arg(r.mUVFilter));
    m_report.log(QStringLiteral("mM0 %1").arg(r.mM0));
    return params;
}

void PageMeasurement::fillArtificialDryingList(int page)
{
    // Whatever fails below, the SDK gets no list rather than a wrong one.
    useNoDryingList();
    const accelParams_st* params = measurablePage(page);
    if (!params)
        return;
    const int64_t blockPitch = params->getDryBlockHeight();
    const int64_t rows = params->getTotalPatchCount() / params->getPatchCountPerRow();
    const int64_t rowPitch = int64_t(params->getPatchSizeY(Measure::Millimetre)) * 100 + params->getLineSpace();
    // No rows, or rows without height, leave nothing to dry (a negative count of negative rows neither).
    if (rows <= 0 || rowPitch <= 0) {
        m_report.log(QStringLiteral("ACCEL: fillArtificialDryingStruct ACCEL_MEMORY_ERROR"));
        return;
    }
    if (blockPitch <= 0) {
        m_report.log(QStringLiteral("ACCEL: fillArtificialDryingStruct ACCEL_MEMORY_ERROR 1"));
        return;
    }
    const int64_t start = (int64_t(m_dryingOffset) + 3) * 100 + blockPitch / 2;
    if (start < 0) {
        m_report.log(QStringLiteral("ACCEL: fillArtificialDryingStruct the drying offset %1 mm starts the strip "
                                  "before the page")
                       .arg(m_dryingOffset));
        return;
    }
    // Every block's position must fit its 32-bit field, which bounds the height a list can cover;
    // the height is checked against that bound before it is formed, as it may exceed 64 bits.
    const int64_t lastPosition = std::numeric_limits<int32_t>::max();
    const int64_t maxBlocks = start > lastPosition ? 0 : (lastPosition - start) / blockPitch + 1;
    std::vector<DryingRecord> list;
    if (rowPitch <= maxBlocks * blockPitch / rows) {
        const int64_t height = rows * rowPitch;
        try {
            list.resize(size_t((height + blockPitch - 1) / blockPitch));
        } catch (const std::bad_alloc&) {
            list.clear();
        }
    }
    if (list.empty()) {
        m_report.log(QStringLiteral("ACCEL: fillArtificialDryingStruct ACCEL_MEMORY_ERROR 2"));
        return;
    }
    for (size_t j = 0; j < list.size(); ++j) {
        DryingRecord& entry = list[j];
        entry.mField0 = 1;
        entry.mField4 = 1;
        entry.mDryTime = params->getDryTime();
        entry.mField12 = 70;
        entry.mPositionY = int32_t(start + int64_t(j) * blockPitch);
    }
    m_dryingEntryCount = int(list.size());
    m_dryingLists.push_back(std::move(list));
    m_dryingList = m_dryingLists.back().data();
}

void PageMeasurement::useNoDryingList()
{
    m_dryingList = nullptr;
    m_dryingEntryCount = 0;
}

void PageMeasurement::releaseDryingLists()
{
    useNoDryingList();
    m_dryingLists.clear();
}

// ---- status callback, on the SDK's thread -----------------------------------------------------

unsigned PageMeasurement::Accel_StatusCallBack(void* const handle, int doc, void* user)
{
    if (!handle || doc < 0 || !user)
        return accelInstrument::BadCallbackArguments;
    return static_cast<PageMeasurement*>(user)->handleStatus(handle, doc);
}

unsigned PageMeasurement::handleStatus(void* handle, int doc)
{
    const AccelFunctionTable& sdk = m_session.accel().functions;
    JobStatusRecord status = {};
    const unsigned answer = sdk.GetJobStatus(handle, doc, &status);
    if (answer != 0) {
        m_report.failure(QStringLiteral("ACCEL_ERROR GetJobStatus error"));
        pageEnd(false, -1);
        return answer;
    }
    const int page = status.mCurrentPage;
    switch (status.mJobStatus) {
    case 0x100:
    case 0x510:
    case 0x600:
    case 0x700:
    case 0xb00:
        return 0;
    case 0x200:
    case 0x300:
        // While the end flag is 1, each of these asks again whether the document has finished.
        if (m_session.accel().mEndFlag == 1)
            queueDocumentFinishedCheck();
        return 0;
    case 0x400:
        reportProgress(percentText(status.mPercent400), 2);
        return 0;
    case 0x410:
        reportProgress(percentText(status.mPercent410), 2);
        return 0;
    case 0x500:
        reportProgress(percentText(status.mPercent500), 1);
        return 0;
    case AccelStatusReadyToReceiveData:
        return receivePageData(doc, page);
    case 0x580:
        // The SDK repeats this status; the page ends once.
        if (m_session.accel().mLastPage.exchange(page) == page)
            return 0;
        sdk.ReleaseJobStatus(handle, doc);
        pageEnd(true, page);
        return 0;
    case 0x800:
        sdk.ReleaseJobStatus(handle, doc);
        pageEnd(true, page);
        return 0;
    case AccelStatusCanceled:
        sdk.ReleaseJobStatus(handle, doc);
        m_report.failure(QStringLiteral("ACCEL_STATUS_CANCELED"));
        pageEnd(false, page);
        return 0;
    case AccelStatusError:
        sdk.ReleaseJobStatus(handle, doc);
        reportStatusError(handle);
        pageEnd(false, page);
        return 0;
    default:
        sdk.ReleaseJobStatus(handle, doc);
        m_report.setErrorString(QStringLiteral("ACCEL: page %1 ended with the unknown job status 0x%2")
                           .arg(page)
                           .arg(unsigned(status.mJobStatus), 0, 16));
        pageEnd(false, page);
        return 0;
    }
}

unsigned PageMeasurement::receivePageData(int doc, int page)
{
    // The SDK repeats this status; the page's data is fetched once.
    if (m_session.accel().mLastPage.exchange(page) == page)
        return 0;
    QByteArray data;
    QString error;
    const unsigned answer = Accel_Measurement(&m_session.accel(), doc, page, data, error);
    if (answer != 0) {
        m_report.failure(QStringLiteral("ACCEL_STATUS_READY_TO_RECEIVE_DATA Accel_Measurement: result %1 err: %2")
                       .arg(answer)
                       .arg(error));
        pageEnd(false, page);
        return answer;
    }
    gotPageData(pageIndexOf(page), data);
    // In the other modes the page ends with a later status.
    if (m_session.documentMode() == 0)
        pageEnd(true, page);
    return 0;
}

void PageMeasurement::reportStatusError(void* handle)
{
    ErrorRecord errors = {};
    if (m_session.accel().functions.GetErrorCodes(handle, &errors) != 0) {
        m_report.failure(QStringLiteral("ACCEL_STATUS_ERROR, can't get Error codes"));
        return;
    }
    const uint32_t connection = errors.mAccelConnectionStatus & 1u;
    m_report.log(QStringLiteral("ACCEL_STATUS_ERROR: mErrorCode %1").arg(errors.mErrorCode));
    m_report.log(QStringLiteral("ACCEL_STATUS_ERROR: mAccelConnectionStatus %1").arg(connection));
    m_report.log(QStringLiteral("ACCEL_STATUS_ERROR: mStatus %1").arg(errors.mStatus));
    m_report.log(QStringLiteral("ACCEL_STATUS_ERROR: mILSErrorCode %1").arg(errors.mILSErrorCode));
    m_report.setErrorString(
        QStringLiteral("ACCEL_STATUS_ERROR: mErrorCode %1 mAccelConnectionStatus %2 mStatus %3 mILSErrorCode %4")
            .arg(errors.mErrorCode)
            .arg(connection)
            .arg(errors.mStatus)
            .arg(errors.mILSErrorCode));
}

unsigned PageMeasurement::Accel_Measurement(_AccelStruct* accel, int doc, int page, QByteArray& data, QString& error)
{
    const AccelFunctionTable& sdk = accel->functions;
    JobStatusRecord status = {};
    const unsigned answer = sdk.GetJobStatus(accel->mHandle, doc, &status);
    if (answer != 0) {
        error = QStringLiteral("ACCEL: Accel_Measurement GetJobStatus Error");
        return answer;
    }
    if (status.mDataCount > MaxPageDataBlocks) {
        error = QStringLiteral("ACCEL: Accel_Measurement %1 data blocks exceed the bound of %2")
                    .arg(status.mDataCount)
                    .arg(MaxPageDataBlocks);
        return accelInstrument::PageFailed;
    }
    // Every block belongs to the page: their bytes are kept in order, one after the other.
    for (int32_t index = 0; index < status.mDataCount; ++index) {
        void* const block = sdk.AllocMeasurementData(accel->mHandle, doc, page, index, -1);
        if (!block) {
            error = QStringLiteral("ACCEL: Accel_Measurement AllocMeasurementData Error");
            return accelInstrument::PageFailed;
        }
        // All of the block is read before it is given back, which may free it.
        const auto* header = static_cast<const MeasurementDataBlock*>(block);
        const uint8_t* const bytes = header->mData;
        const int32_t length = header->mLength;
        const QString refusal = blockRefusal(index, length, bytes, data.size());
        if (refusal.isEmpty())
            data.append(reinterpret_cast<const char*>(bytes), length);
        const unsigned released = sdk.DeallocMeasurementData(accel->mHandle, doc, block);
        if (released != 0) {
            error = QStringLiteral("ACCEL: Accel_Measurement DeallocMeasurementData");
            sdk.DeallocMeasurementData(accel->mHandle, doc, block);
            return released;
        }
        if (!refusal.isEmpty()) {
            error = refusal;
            return accelInstrument::PageFailed;
        }
    }
    accel->mEndFlag = page;
    return 0;
}

void PageMeasurement::gotPageData(int page, const QByteArray& data)
{
    const accelParams_st* params = m_job.getPage(page);
    if (!params) {
        m_report.failure(QStringLiteral("ACCEL: measurement data for page %1, which is not a page of the job").arg(page));
        emit m_instrument.MeasureDataSignal(QString());
        return;
    }
    // One pass over the pattern, so a prefix holding "%2" stays as it is.
    const QString name = QStringLiteral("meas_%1_%2.tmp").arg(m_dataFilePrefix, QString::number(page));
    const QString path = QDir(m_dataFolder).absoluteFilePath(name);
    const QString it8Path = params->getIt8FilePath();
    m_report.log(QStringLiteral("it8 data file %1").arg(it8Path));
    QString reason;
    if (DevFile::createDataMeasureFile(it8Path, data, path, &reason)) {
        emit m_instrument.MeasureDataSignal(path);
        return;
    }
    m_report.log(QStringLiteral("Error creating measuring data file %1").arg(path));
    // DevFile names the file in all but its checks of the arguments.
    m_report.reason(reason.contains(path) ? reason : QStringLiteral("%1: %2").arg(path, reason));
    emit m_instrument.MeasureDataSignal(QString());
}

// ---- hand-over to the instrument's thread ------------------------------------------------------

void PageMeasurement::pageEnd(bool resp, int page)
{
    QMetaObject::invokeMethod(&m_instrument, "pageEndSlot", Qt::QueuedConnection, Q_ARG(bool, resp), Q_ARG(int, page));
}

void PageMeasurement::queueDocumentFinishedCheck()
{
    QMetaObject::invokeMethod(&m_instrument, "doPageEndSlot", Qt::QueuedConnection);
}

void PageMeasurement::reportProgress(const QString& text, int type)
{
    QMetaObject::invokeMethod(&m_instrument, "pageMeasureProgrSlot", Qt::QueuedConnection, Q_ARG(QString, text),
                              Q_ARG(int, type));
}
