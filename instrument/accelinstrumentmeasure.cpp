// Measuring printed pages: the measurement record and drying list of a page,
// the SDK's status callback, the page data files and the queued page ends.
#include "accelinstrument.h"

#include "devfile.h"

#include <QDir>
#include <QMetaObject>

#include <limits>
#include <new>

namespace {

constexpr unsigned long Millimetre = 3;

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
    const int64_t width = int64_t(page.getPatchSizeX(Millimetre)) * 100;
    const int64_t height = int64_t(page.getPatchSizeY(Millimetre)) * 100;
    // With take-up the page runs backwards: negative pitch, starting at the last row.
    const int64_t pitch = page.getTakeUp() ? -height : height;
    const int64_t startX = (int64_t(page.getOffsetX(Millimetre)) - 10) * 100;
    if (!fitsField(width) || !fitsField(height) || !fitsField(pitch) || !fitsField(startX))
        return false;
    int64_t startY = height / 2 + int64_t(page.getOffsetY(Millimetre)) * 100;
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

bool accelInstrument::accelPrintDoc()
{
    if (!isInitialized())
        return refuseUninitialised("ACCEL: PrintDoc error");
    m_accel.functions.SetPrintOption(m_accel.mHandle, m_accel.mDoc, 5000);
    if (m_accel.functions.PrintDoc(m_accel.mHandle, m_accel.mDoc, Accel_StatusCallBack, this) != 0) {
        logFailure(QStringLiteral("ACCEL: PrintDoc error"));
        return false;
    }
    return true;
}

// ---- page set-up ------------------------------------------------------------------------------

bool accelInstrument::StartPage(int page)
{
    return startPage(page) == 0;
}

unsigned accelInstrument::startPage(int page)
{
    if (!isInitialized()) {
        logFailure(QStringLiteral("ACCEL: StartPage page %1 without an initialised SDK").arg(page));
        return PageFailed;
    }
    const accelParams_st* params = fillMeasurementRecord(page);
    if (!params)
        return PageFailed;
    if (params->getDryType() == 1)
        fillArtificialDryingStruct(page);
    else
        useNoDryingList();
    const unsigned answer = m_accel.functions.MeasurePage(m_accel.mHandle, m_accel.mDoc, m_dryingList,
                                                          m_dryingEntryCount, m_measurementRecord.get(), 1);
    m_accel.mEndFlag = 0;
    if (answer != 0)
        setErrorString(QStringLiteral("ACCEL: StartPage MeasurePage error"));
    return answer;
}

const accelParams_st* accelInstrument::measurablePage(int page)
{
    const accelParams_st* params = m_jobParams.getPage(page);
    if (!params) {
        logFailure(QStringLiteral("ACCEL: page %1 is not a page of the job, which has %2")
                       .arg(page)
                       .arg(m_jobParams.pages.size()));
        return nullptr;
    }
    if (params->getPatchCountPerRow() <= 0) {
        logFailure(QStringLiteral("ACCEL: page %1 has %2 patches per row and cannot be measured")
                       .arg(page)
                       .arg(params->getPatchCountPerRow()));
        return nullptr;
    }
    return params;
}

void accelInstrument::fillMeasurementStruct(int page)
{
    fillMeasurementRecord(page);
}

const accelParams_st* accelInstrument::fillMeasurementRecord(int page)
{
    const accelParams_st* params = measurablePage(page);
    if (!params)
        return nullptr;
    PatchGrid grid;
    if (!patchGridOf(*params, grid)) {
        logFailure(QStringLiteral("ACCEL: page %1 has lengths that do not fit the measurement record").arg(page));
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
    r.mchartType = m_chartType;
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

    writeToLog(QStringLiteral("MeasureType %1").arg(measureType));
    writeToLog(QStringLiteral("mCalibration %1").arg(r.mCalibration));
    writeToLog(QStringLiteral("mPatchCountX %1").arg(r.mPatchCountX));
    writeToLog(QStringLiteral("mPatchCountY %1").arg(r.mPatchCountY));
    writeToLog(QStringLiteral("TakeUp %1").arg(params->getTakeUp() ? 1 : 0));
    writeToLog(QStringLiteral("mPatchSizeWidth %1").arg(r.mPatchSizeWidth));
    writeToLog(QStringLiteral("mPatchSizeHeight %1").arg(r.mPatchSizeHeight));
    if (params->getTakeUp())
        writeToLog(QStringLiteral("OffsetY %1").arg(params->getOffsetY(Millimetre)));
    writeToLog(QStringLiteral("mStartPositionX %1").arg(r.mStartPositionX));
    writeToLog(QStringLiteral("mStartPositionY %1").arg(r.mStartPositionY));
    writeToLog(QStringLiteral("mchartType %1").arg(r.mchartType));
    writeToLog(QStringLiteral("mUVFilter %1").arg(r.mUVFilter));
    writeToLog(QStringLiteral("mM0 %1").arg(r.mM0));
    return params;
}

void accelInstrument::fillArtificialDryingStruct(int page)
{
    // Whatever fails below, the SDK gets no list rather than a wrong one.
    useNoDryingList();
    const accelParams_st* params = measurablePage(page);
    if (!params)
        return;
    const int64_t blockPitch = params->getDryBlockHeight();
    const int64_t rows = params->getTotalPatchCount() / params->getPatchCountPerRow();
    const int64_t rowPitch = int64_t(params->getPatchSizeY(Millimetre)) * 100 + params->getLineSpace();
    // No rows, or rows without height, leave nothing to dry (a negative count of negative rows neither).
    if (rows <= 0 || rowPitch <= 0) {
        writeToLog(QStringLiteral("ACCEL: fillArtificialDryingStruct ACCEL_MEMORY_ERROR"));
        return;
    }
    if (blockPitch <= 0) {
        writeToLog(QStringLiteral("ACCEL: fillArtificialDryingStruct ACCEL_MEMORY_ERROR 1"));
        return;
    }
    const int64_t start = (int64_t(m_dryingOffset) + 3) * 100 + blockPitch / 2;
    if (start < 0) {
        writeToLog(QStringLiteral("ACCEL: fillArtificialDryingStruct the drying offset %1 mm starts the strip "
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
        writeToLog(QStringLiteral("ACCEL: fillArtificialDryingStruct ACCEL_MEMORY_ERROR 2"));
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

void accelInstrument::useNoDryingList()
{
    m_dryingList = nullptr;
    m_dryingEntryCount = 0;
}

void accelInstrument::releaseDryingLists()
{
    useNoDryingList();
    m_dryingLists.clear();
}

// ---- status callback, on the SDK's thread -----------------------------------------------------

unsigned accelInstrument::Accel_StatusCallBack(void* const handle, int doc, void* user)
{
    if (!handle || doc < 0 || !user)
        return BadCallbackArguments;
    return static_cast<accelInstrument*>(user)->handleStatus(handle, doc);
}

unsigned accelInstrument::handleStatus(void* handle, int doc)
{
    const AccelFunctionTable& sdk = m_accel.functions;
    JobStatusRecord status = {};
    const unsigned answer = sdk.GetJobStatus(handle, doc, &status);
    if (answer != 0) {
        logFailure(QStringLiteral("ACCEL_ERROR GetJobStatus error"));
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
        if (m_accel.mEndFlag == 1)
            doPageEnd();
        return 0;
    case 0x400:
        doPageMeasureProgress(percentText(status.mPercent400), 2);
        return 0;
    case 0x410:
        doPageMeasureProgress(percentText(status.mPercent410), 2);
        return 0;
    case 0x500:
        doPageMeasureProgress(percentText(status.mPercent500), 1);
        return 0;
    case AccelStatusReadyToReceiveData:
        return receivePageData(doc, page);
    case 0x580:
        // The SDK repeats this status; the page ends once.
        if (m_accel.mLastPage.exchange(page) == page)
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
        logFailure(QStringLiteral("ACCEL_STATUS_CANCELED"));
        pageEnd(false, page);
        return 0;
    case AccelStatusError:
        sdk.ReleaseJobStatus(handle, doc);
        reportStatusError(handle);
        pageEnd(false, page);
        return 0;
    default:
        sdk.ReleaseJobStatus(handle, doc);
        setErrorString(QStringLiteral("ACCEL: page %1 ended with the unknown job status 0x%2")
                           .arg(page)
                           .arg(unsigned(status.mJobStatus), 0, 16));
        pageEnd(false, page);
        return 0;
    }
}

unsigned accelInstrument::receivePageData(int doc, int page)
{
    // The SDK repeats this status; the page's data is fetched once.
    if (m_accel.mLastPage.exchange(page) == page)
        return 0;
    QByteArray data;
    QString error;
    const unsigned answer = Accel_Measurement(&m_accel, doc, page, data, error);
    if (answer != 0) {
        logFailure(QStringLiteral("ACCEL_STATUS_READY_TO_RECEIVE_DATA Accel_Measurement: result %1 err: %2")
                       .arg(answer)
                       .arg(error));
        pageEnd(false, page);
        return answer;
    }
    gotPageData(pageIndexOf(page), data);
    // In the other modes the page ends with a later status.
    if (m_docMode == 0)
        pageEnd(true, page);
    return 0;
}

void accelInstrument::reportStatusError(void* handle)
{
    ErrorRecord errors = {};
    if (m_accel.functions.GetErrorCodes(handle, &errors) != 0) {
        logFailure(QStringLiteral("ACCEL_STATUS_ERROR, can't get Error codes"));
        return;
    }
    const uint32_t connection = errors.mAccelConnectionStatus & 1u;
    writeToLog(QStringLiteral("ACCEL_STATUS_ERROR: mErrorCode %1").arg(errors.mErrorCode));
    writeToLog(QStringLiteral("ACCEL_STATUS_ERROR: mAccelConnectionStatus %1").arg(connection));
    writeToLog(QStringLiteral("ACCEL_STATUS_ERROR: mStatus %1").arg(errors.mStatus));
    writeToLog(QStringLiteral("ACCEL_STATUS_ERROR: mILSErrorCode %1").arg(errors.mILSErrorCode));
    setErrorString(
        QStringLiteral("ACCEL_STATUS_ERROR: mErrorCode %1 mAccelConnectionStatus %2 mStatus %3 mILSErrorCode %4")
            .arg(errors.mErrorCode)
            .arg(connection)
            .arg(errors.mStatus)
            .arg(errors.mILSErrorCode));
}

unsigned accelInstrument::Accel_Measurement(_AccelStruct* accel, int doc, int page, QByteArray& data, QString& error)
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
        return PageFailed;
    }
    // Every block belongs to the page: their bytes are kept in order, one after the other.
    for (int32_t index = 0; index < status.mDataCount; ++index) {
        void* const block = sdk.AllocMeasurementData(accel->mHandle, doc, page, index, -1);
        if (!block) {
            error = QStringLiteral("ACCEL: Accel_Measurement AllocMeasurementData Error");
            return PageFailed;
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
            return PageFailed;
        }
    }
    accel->mEndFlag = page;
    return 0;
}

void accelInstrument::gotPageData(int page, const QByteArray& data)
{
    const accelParams_st* params = m_jobParams.getPage(page);
    if (!params) {
        logFailure(QStringLiteral("ACCEL: measurement data for page %1, which is not a page of the job").arg(page));
        emit MeasureDataSignal(QString());
        return;
    }
    // One pass over the pattern, so a prefix holding "%2" stays as it is.
    const QString name = QStringLiteral("meas_%1_%2.tmp").arg(m_dataFilePrefix, QString::number(page));
    const QString path = QDir(m_dataFolder).absoluteFilePath(name);
    const QString it8Path = params->getIt8FilePath();
    writeToLog(QStringLiteral("it8 data file %1").arg(it8Path));
    QString reason;
    if (DevFile::createDataMeasureFile(it8Path, data, path, &reason)) {
        emit MeasureDataSignal(path);
        return;
    }
    writeToLog(QStringLiteral("Error creating measuring data file %1").arg(path));
    // DevFile names the file in all but its checks of the arguments.
    logReason(reason.contains(path) ? reason : QStringLiteral("%1: %2").arg(path, reason));
    emit MeasureDataSignal(QString());
}

// ---- hand-over to the instrument's thread ------------------------------------------------------

void accelInstrument::pageEnd(bool resp, int page)
{
    QMetaObject::invokeMethod(this, "pageEndSlot", Qt::QueuedConnection, Q_ARG(bool, resp), Q_ARG(int, page));
}

void accelInstrument::doPageEnd()
{
    QMetaObject::invokeMethod(this, "doPageEndSlot", Qt::QueuedConnection);
}

void accelInstrument::doPageMeasureProgress(const QString& text, int type)
{
    QMetaObject::invokeMethod(this, "pageMeasureProgrSlot", Qt::QueuedConnection, Q_ARG(QString, text),
                              Q_ARG(int, type));
}
