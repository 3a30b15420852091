#include "sdksession.h"

#include "accelinstrument.h"
#include "accelmeasparams_st.h"
#include "instrumentreport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>
#include <memory>

namespace {

// The SDK's connection code for a connection type of the command line.
int connectionCodeFor(int connectionType, const QString& address)
{
    if (connectionType == 4)
        return 1;
    if (connectionType == 7 && address.startsWith(QLatin1String("usb"), Qt::CaseInsensitive))
        return 0;
    return 4;
}

struct DocModeFields
{
    int32_t a, b, c;
};

DocModeFields docModeFields(int docMode)
{
    switch (docMode) {
    case 0:
        return {1, 1, 0};
    case 1:
        return {1, 1, 1};
    case 2:
        return {1, 0, 0};
    default:
        return {0, 0, 0};
    }
}

// Whole millimetres as the records' signed 32-bit hundredths; false when they do not fit.
bool toHundredths(int64_t millimetres, int32_t& hundredths)
{
    const int64_t value = millimetres * 100;
    if (value < INT32_MIN || value > INT32_MAX)
        return false;
    hundredths = static_cast<int32_t>(value);
    return true;
}

// Every slot the driver calls must be filled, or a call would jump to null.
bool hasDriverSlots(const AccelFunctionTable& f)
{
    return f.Initialize && f.SetPrinterFn && f.Terminate && f.CreateDoc && f.DeleteDoc && f.StartDocFn && f.EndDoc
        && f.PrintDoc && f.ReleaseJobStatus && f.AbortDoc && f.MeasurePage && f.Write && f.IsDocFinished && f.Open
        && f.GetConnectionInfo && f.GetJobStatus && f.GetErrorCodes && f.AllocMeasurementData
        && f.DeallocMeasurementData && f.SetLabelOffset && f.EndLabel && f.Close && f.CreateChart
        && f.LoadLibraryInitialize && f.LoadLibraryTerminate && f.SetApplicationName && f.SetPlatformName
        && f.SetPrintOption;
}

} // namespace

SdkSession::SdkSession(const QString& sdkFolder, const accelMeasParams_st& job, InstrumentReport& report)
    : m_job(job)
    , m_report(report)
    , m_libraryPath(CSdkLibrary::libraryPath(sdkFolder))
    , m_sdkFolder(sdkFolder)
    , m_platformName(QStringLiteral("Windows"))
{
}

bool SdkSession::initialize(int connectionType, const QString& address, const QString& model)
{
    m_printerAddress = address;
    m_printerModel = model;
    m_connectionCode = connectionCodeFor(connectionType, address);

    if (!loadLibrary())
        return false;
    m_loadFunction = m_library.loadFunction();
    if (!m_loadFunction)
        return loaderFailed(QStringLiteral("ACCEL: can't GetProcAddress"),
                            QStringLiteral("the ACCEL SDK loaded from %1 has no %2: %3")
                                .arg(m_libraryPath, QLatin1String(ACCEL_LOAD_FUNCTION_NAME), m_library.errorText()));
    m_accel.functions = AccelFunctionTable{};
    if (m_loadFunction(m_library.module(), &m_accel.functions, AccelFunctionTableSize) != 0
        || !hasDriverSlots(m_accel.functions)) {
        m_report.failure(QStringLiteral("ACCEL: m_accelLoad_Function error"));
        return false;
    }

    const QString tempFolder = QDir::tempPath();
    if (!copyText(m_sdkFolder, m_sdkFolderBytes, TextFieldSize - 1, "SDK folder")
        || !copyText(tempFolder, m_tempFolderBytes, TextFieldSize - 1, "temporary folder"))
        return false;
    if (m_accel.functions.LoadLibraryInitialize(256, m_sdkFolderBytes, m_sdkFolder.size(), m_tempFolderBytes,
                                                tempFolder.size(), 0, nullptr)
        != 0) {
        m_report.failure(QStringLiteral("ACCEL: LoadLibraryInitialize error"));
        return false;
    }
    m_accel.mHandle = m_accel.functions.Initialize(0);
    if (!m_accel.mHandle) {
        m_report.failure(QStringLiteral("ACCEL: Initialize error"));
        return false;
    }
    const QByteArray modelBytes = m_printerModel.toLatin1();
    if (m_accel.functions.SetPrinterFn(m_accel.mHandle, modelBytes.constData(), modelBytes.size()) != 0) {
        m_report.failure(QStringLiteral("ACCEL: SetPrinter error %1").arg(m_printerModel));
        return false;
    }
    CSdkLibrary::startSockets();
    m_report.log(QStringLiteral("ACCEL Instrument Inizialized: %1").arg(m_sdkFolder));
    return true;
}

bool SdkSession::loadLibrary()
{
    const bool loaded = m_library.load(m_libraryPath);
    m_report.log(
        QStringLiteral("Library Path %1").arg(QDir::toNativeSeparators(QFileInfo(m_libraryPath).absoluteFilePath())));
    QString misplaced;
    if (!QFile::exists(m_libraryPath)) {
        m_report.log(QStringLiteral("Accel Dll Does not exists"));
        misplaced = libraryGivenAsFolder();
        if (!misplaced.isEmpty())
            m_report.log(QStringLiteral("ACCEL: %1").arg(misplaced));
    }
    if (loaded)
        return true;
    // A folder that is the library itself says more than the loader can.
    return loaderFailed(QStringLiteral("ACCEL: can't Load Library %1").arg(m_libraryPath),
                        !misplaced.isEmpty() ? misplaced
                                             : QStringLiteral("the ACCEL SDK could not be loaded from %1: %2")
                                                   .arg(m_libraryPath, m_library.errorText()));
}

// What to say when the SDK folder given is the library file; empty when it is not.
QString SdkSession::libraryGivenAsFolder() const
{
    if (!CSdkLibrary::isLibraryFile(m_sdkFolder))
        return QString();
    return QStringLiteral("%1 is the SDK library itself; give the folder that holds it: %2")
        .arg(QDir::toNativeSeparators(m_sdkFolder), QDir::toNativeSeparators(QFileInfo(m_sdkFolder).absolutePath()));
}

// The loader's own message follows the driver's line.
bool SdkSession::loaderFailed(const QString& line, const QString& reason)
{
    m_report.log(line);
    m_report.log(QStringLiteral("ACCEL: %1").arg(m_library.errorText()));
    m_report.setErrorString(reason);
    return false;
}

bool SdkSession::copyText(const QString& text, TextField& field, int clearedBytes, const char* what)
{
    const QByteArray bytes = text.toLatin1();
    if (bytes.size() > MaxTextLength) {
        m_report.failure(QStringLiteral("ACCEL: the %1 text has %2 characters, more than the %3 the SDK accepts")
                       .arg(QLatin1String(what))
                       .arg(bytes.size())
                       .arg(MaxTextLength));
        return false;
    }
    std::memset(field, 0, static_cast<size_t>(clearedBytes));
    std::memcpy(field, bytes.constData(), static_cast<size_t>(bytes.size()));
    return true;
}

bool SdkSession::openConnection(const char* failureLine)
{
    TextField address = {};
    if (!copyText(m_printerAddress, address, TextFieldSize, "printer address"))
        return false;
    if (m_accel.functions.Open(m_accel.mHandle, m_connectionCode, address, m_printerAddress.size()) != 0) {
        m_report.failure(QLatin1String(failureLine));
        return false;
    }
    return true;
}

bool SdkSession::checkConnection()
{
    m_isConnected = false;
    if (!isInitialized())
        return m_report.uninitialised(nullptr);
    if (!openConnection("ACCEL: isAccelConnected Open error"))
        return false;

    auto info = std::make_unique<ConnectionInfoRecord>();
    const bool connected = m_accel.functions.GetConnectionInfo(m_accel.mHandle, info.get()) == 0
        && info->mConnectionStatus == 1;
    QString version;
    if (connected) {
        auto errors = std::make_unique<ErrorRecord>();
        if (m_accel.functions.GetErrorCodes(m_accel.mHandle, errors.get()) == 0) {
            version = QString::fromUtf8(errors->mVersion, int(strnlen(errors->mVersion, sizeof errors->mVersion)));
            m_chartType = version.contains(QLatin1String("ILS20EP")) ? 1 : 2;
        }
    }
    if (m_accel.functions.Close(m_accel.mHandle) != 0) {
        m_report.failure(QStringLiteral("ACCEL: isAccelConnected Close error"));
        return false;
    }
    if (!connected) {
        m_report.failure(QStringLiteral("ACCEL: isAccelConnected ACCEL_FATAL_ERROR"));
        return false;
    }
    m_report.log(QStringLiteral("ACCEL fw ver.:%1 chart type.:%2").arg(version).arg(m_chartType));
    m_isConnected = true;
    return true;
}

bool SdkSession::start(int mode)
{
    m_docMode = mode;
    if (!isInitialized())
        return m_report.uninitialised("ACCEL: AccelStart Open error");
    return openConnection("ACCEL: AccelStart Open error") && openDocument();
}

bool SdkSession::openDocument()
{
    m_docRecord = DocRecord{};
    if (m_accel.functions.CreateDoc(m_accel.mHandle, &m_accel.mDoc) != 0) {
        m_report.failure(QStringLiteral("ACCEL: AccelDocument CreateDoc error"));
        return false;
    }
    static const char applicationName[] = "Quorastelian";
    if (m_accel.functions.SetApplicationName(m_accel.mHandle, m_accel.mDoc, applicationName,
                                             sizeof applicationName - 1)
        != 0) {
        m_report.setErrorString(QStringLiteral("ACCEL: AccelDocument SetApplicationName error"));
        return false;
    }
    if (!copyText(m_platformName, m_platformBytes, TextFieldSize, "platform name"))
        return false;
    if (m_accel.functions.SetPlatformName(m_accel.mHandle, m_accel.mDoc, m_platformBytes, m_platformName.size())
        != 0) {
        m_report.setErrorString(QStringLiteral("ACCEL: AccelDocument SetPlatformName error"));
        return false;
    }
    if (!fillDocRecord())
        return false;
    if (m_accel.functions.StartDocFn(m_accel.mHandle, m_accel.mDoc, &m_docRecord) != 0) {
        m_report.failure(QStringLiteral("ACCEL: StartDoc error"));
        return false;
    }
    m_accel.mLastPage = 0;
    m_accel.mEndFlag = 0;
    return true;
}

bool SdkSession::fillDocRecord()
{
    int32_t width = 0, height = 0;
    if (!toHundredths(m_job.getPageWidth(Measure::Millimetre), width)
        || !toHundredths(m_job.getPageHeight(Measure::Millimetre), height)) {
        m_report.failure(QStringLiteral("ACCEL: the page size %1 x %2 mm does not fit the document record")
                       .arg(m_job.getPageWidth(Measure::Millimetre))
                       .arg(m_job.getPageHeight(Measure::Millimetre)));
        return false;
    }
    static const char docName[] = "sample";
    static const char userName[] = "user";
    const DocModeFields mode = docModeFields(m_docMode);
    DocRecord& r = m_docRecord;
    r.mField0 = 1;
    r.mDocId = m_accel.mDoc;
    r.mField8 = 1;
    r.mField12 = 2;
    r.mField20 = 360;
    r.mField24 = 360;
    r.mPageWidth = width;
    r.mPageHeight = height;
    r.mMediaWidth = width;
    r.mMediaHeight = height;
    std::memcpy(r.mDocName, docName, sizeof docName - 1);
    r.mDocNameLength = sizeof docName - 1;
    std::memcpy(r.mUserName, userName, sizeof userName - 1);
    r.mUserNameLength = sizeof userName - 1;
    r.mField2120 = 60;
    r.mModeA = mode.a;
    r.mModeB = mode.b;
    r.mModeC = mode.c;
    return true;
}

void SdkSession::endDocument()
{
    const bool ended = m_accel.functions.EndDoc(m_accel.mHandle, m_accel.mDoc) == 0;
    if (!ended)
        m_report.failure(QStringLiteral("ACCEL: EndDoc Failed"));
    const QString deleteFailed = QStringLiteral("ACCEL: DeleteDoc Failed");
    if (m_accel.functions.DeleteDoc(m_accel.mHandle, m_accel.mDoc) == 0)
        m_accel.mDoc = 0;
    else if (ended)
        m_report.failure(deleteFailed);
    else
        // A document that did not end cannot be deleted: the reason stays the end's.
        m_report.log(deleteFailed);
}

void SdkSession::abortDocument()
{
    if (m_accel.mDoc > 0 && isInitialized()) {
        m_accel.functions.AbortDoc(m_accel.mHandle, m_accel.mDoc);
        m_accel.functions.DeleteDoc(m_accel.mHandle, m_accel.mDoc);
    }
}

unsigned SdkSession::write(const char* data, qint64 length)
{
    if (!isInitialized())
        return accelInstrument::LabelFailed;
    return m_accel.functions.Write(m_accel.mHandle, m_accel.mDoc, data, length);
}

unsigned SdkSession::printLabel(const QByteArray& label)
{
    if (label.isEmpty()) {
        m_report.setErrorString(QStringLiteral("the label is empty"));
        return accelInstrument::LabelFailed;
    }
    if (!isInitialized()) {
        m_report.uninitialised(nullptr);
        return accelInstrument::LabelFailed;
    }
    const unsigned offset = m_accel.functions.SetLabelOffset(m_accel.mHandle, m_accel.mDoc, 1, 1, 0);
    if (offset != 0) {
        m_report.failure(QStringLiteral("_ACCEL_SetLabelOffset Error"));
        return offset;
    }
    if (m_accel.functions.Write(m_accel.mHandle, m_accel.mDoc, label.constData(), label.size()) != 0) {
        m_report.failure(QStringLiteral("_ACCEL_Write Error"));
        return accelInstrument::LabelFailed;
    }
    return m_accel.functions.EndLabel(m_accel.mHandle, m_accel.mDoc, 1);
}

void SdkSession::askDocumentFinished()
{
    if (isInitialized())
        m_accel.mEndFlag = m_accel.functions.IsDocFinished(m_accel.mHandle, m_accel.mDoc) != 0 ? 1 : 0;
}

void SdkSession::terminate()
{
    if (!isInitialized())
        return;
    abortDocument();
    if (m_loadFunction) {
        m_accel.functions.Close(m_accel.mHandle);
        m_accel.functions.Terminate(m_accel.mHandle, 0);
        m_accel.functions.LoadLibraryTerminate(0);
    }
}

void SdkSession::unload()
{
    m_library.unload();
    // The table points into the unloaded library: forget it with the handle.
    m_accel.functions = AccelFunctionTable{};
    m_accel.mHandle = nullptr;
    m_loadFunction = nullptr;
    CSdkLibrary::stopSockets();
}
