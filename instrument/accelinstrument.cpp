#include "accelinstrument.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace {

constexpr unsigned long Millimetre = 3;

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

accelInstrument::accelInstrument(const QString& sdkFolder)
    : QObject(nullptr)
    , m_measurementRecord(new MeasurementRecord())
    , m_platformName(QStringLiteral("Windows"))
    , m_libraryPath(CSdkLibrary::libraryPath(sdkFolder))
    , m_sdkFolder(sdkFolder)
{
}

accelInstrument::~accelInstrument() = default;

bool accelInstrument::InitInstrument(int connectionType, const QString& address, const QString& model)
{
    m_connectionType = connectionType;
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
        logFailure(QStringLiteral("ACCEL: m_accelLoad_Function error"));
        return false;
    }

    const QString tempFolder = QDir::tempPath();
    if (!copyText(m_sdkFolder, m_sdkFolderBytes, TextFieldSize - 1, "SDK folder")
        || !copyText(tempFolder, m_tempFolderBytes, TextFieldSize - 1, "temporary folder"))
        return false;
    if (m_accel.functions.LoadLibraryInitialize(256, m_sdkFolderBytes, m_sdkFolder.size(), m_tempFolderBytes,
                                                tempFolder.size(), 0, nullptr)
        != 0) {
        logFailure(QStringLiteral("ACCEL: LoadLibraryInitialize error"));
        return false;
    }
    m_accel.mHandle = m_accel.functions.Initialize(0);
    if (!m_accel.mHandle) {
        logFailure(QStringLiteral("ACCEL: Initialize error"));
        return false;
    }
    const QByteArray modelBytes = m_printerModel.toLatin1();
    if (m_accel.functions.SetPrinterFn(m_accel.mHandle, modelBytes.constData(), modelBytes.size()) != 0) {
        logFailure(QStringLiteral("ACCEL: SetPrinter error %1").arg(m_printerModel));
        return false;
    }
    CSdkLibrary::startSockets();
    writeToLog(QStringLiteral("ACCEL Instrument Inizialized: %1").arg(m_sdkFolder));
    return true;
}

bool accelInstrument::loadLibrary()
{
    const bool loaded = m_library.load(m_libraryPath);
    writeToLog(
        QStringLiteral("Library Path %1").arg(QDir::toNativeSeparators(QFileInfo(m_libraryPath).absoluteFilePath())));
    QString misplaced;
    if (!QFile::exists(m_libraryPath)) {
        writeToLog(QStringLiteral("Accel Dll Does not exists"));
        misplaced = libraryGivenAsFolder();
        if (!misplaced.isEmpty())
            writeToLog(QStringLiteral("ACCEL: %1").arg(misplaced));
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
QString accelInstrument::libraryGivenAsFolder() const
{
    if (!CSdkLibrary::isLibraryFile(m_sdkFolder))
        return QString();
    return QStringLiteral("%1 is the SDK library itself; give the folder that holds it: %2")
        .arg(m_sdkFolder, QDir::toNativeSeparators(QFileInfo(m_sdkFolder).absolutePath()));
}

// The loader's own message follows the driver's line.
bool accelInstrument::loaderFailed(const QString& line, const QString& reason)
{
    writeToLog(line);
    writeToLog(QStringLiteral("ACCEL: %1").arg(m_library.errorText()));
    setErrorString(reason);
    return false;
}

bool accelInstrument::copyText(const QString& text, TextField& field, int clearedBytes, const char* what)
{
    const QByteArray bytes = text.toLatin1();
    if (bytes.size() > MaxTextLength) {
        logFailure(QStringLiteral("ACCEL: the %1 text has %2 characters, more than the %3 the SDK accepts")
                       .arg(QLatin1String(what))
                       .arg(bytes.size())
                       .arg(MaxTextLength));
        return false;
    }
    std::memset(field, 0, static_cast<size_t>(clearedBytes));
    std::memcpy(field, bytes.constData(), static_cast<size_t>(bytes.size()));
    return true;
}

bool accelInstrument::openConnection(const char* failureLine)
{
    TextField address = {};
    if (!copyText(m_printerAddress, address, TextFieldSize, "printer address"))
        return false;
    if (m_accel.functions.Open(m_accel.mHandle, m_connectionCode, address, m_printerAddress.size()) != 0) {
        logFailure(QLatin1String(failureLine));
        return false;
    }
    return true;
}

bool accelInstrument::checkAccelConnession()
{
    m_isConnected = false;
    if (!isInitialized())
        return refuseUninitialised(nullptr);
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
        logFailure(QStringLiteral("ACCEL: isAccelConnected Close error"));
        return false;
    }
    if (!connected) {
        logFailure(QStringLiteral("ACCEL: isAccelConnected ACCEL_FATAL_ERROR"));
        return false;
    }
    writeToLog(QStringLiteral("ACCEL fw ver.:%1 chart type.:%2").arg(version).arg(m_chartType));
    m_isConnected = true;
    return true;
}

bool accelInstrument::AccelStart(int mode, const QString& dataFilePrefix, const QString& dataFolder)
{
    useNoDryingList();
    m_dataFilePrefix = dataFilePrefix;
    m_dataFolder = dataFolder;
    m_docMode = mode;
    std::memset(m_measurementRecord.get(), 0, sizeof(MeasurementRecord));
    if (!isInitialized())
        return refuseUninitialised("ACCEL: AccelStart Open error");
    return openConnection("ACCEL: AccelStart Open error") && AccelDocument();
}

bool accelInstrument::AccelDocument()
{
    m_docRecord = DocRecord{};
    if (m_accel.functions.CreateDoc(m_accel.mHandle, &m_accel.mDoc) != 0) {
        logFailure(QStringLiteral("ACCEL: AccelDocument CreateDoc error"));
        return false;
    }
    static const char applicationName[] = "Quorastelian";
    if (m_accel.functions.SetApplicationName(m_accel.mHandle, m_accel.mDoc, applicationName,
                                             sizeof applicationName - 1)
        != 0) {
        setErrorString(QStringLiteral("ACCEL: AccelDocument SetApplicationName error"));
        return false;
    }
    if (!copyText(m_platformName, m_platformBytes, TextFieldSize, "platform name"))
        return false;
    if (m_accel.functions.SetPlatformName(m_accel.mHandle, m_accel.mDoc, m_platformBytes, m_platformName.size())
        != 0) {
        setErrorString(QStringLiteral("ACCEL: AccelDocument SetPlatformName error"));
        return false;
    }
    if (!fillDocRecord())
        return false;
    if (m_accel.functions.StartDocFn(m_accel.mHandle, m_accel.mDoc, &m_docRecord) != 0) {
        logFailure(QStringLiteral("ACCEL: StartDoc error"));
        return false;
    }
    m_accel.mLastPage = 0;
    m_accel.mEndFlag = 0;
    return true;
}

bool accelInstrument::fillDocRecord()
{
    int32_t width = 0, height = 0;
    if (!toHundredths(m_jobParams.getPageWidth(Millimetre), width)
        || !toHundredths(m_jobParams.getPageHeight(Millimetre), height)) {
        logFailure(QStringLiteral("ACCEL: the page size %1 x %2 mm does not fit the document record")
                       .arg(m_jobParams.getPageWidth(Millimetre))
                       .arg(m_jobParams.getPageHeight(Millimetre)));
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

void accelInstrument::doEndDoc()
{
    if (!isInitialized())
        return;
    endDocument();
}

void accelInstrument::endDocument()
{
    const bool ended = m_accel.functions.EndDoc(m_accel.mHandle, m_accel.mDoc) == 0;
    if (!ended)
        logFailure(QStringLiteral("ACCEL: EndDoc Failed"));
    const QString deleteFailed = QStringLiteral("ACCEL: DeleteDoc Failed");
    if (m_accel.functions.DeleteDoc(m_accel.mHandle, m_accel.mDoc) == 0)
        m_accel.mDoc = 0;
    else if (ended)
        logFailure(deleteFailed);
    else
        // A document that did not end cannot be deleted: the reason stays the end's.
        writeToLog(deleteFailed);
}

unsigned accelInstrument::Accel_Abort()
{
    abortDocument();
    return 0;
}

void accelInstrument::abortDocument()
{
    if (m_accel.mDoc > 0 && isInitialized()) {
        m_accel.functions.AbortDoc(m_accel.mHandle, m_accel.mDoc);
        m_accel.functions.DeleteDoc(m_accel.mHandle, m_accel.mDoc);
    }
}

unsigned accelInstrument::AccelWrite(const char* data, qint64 length)
{
    if (!isInitialized())
        return LabelFailed;
    return m_accel.functions.Write(m_accel.mHandle, m_accel.mDoc, data, length);
}

unsigned accelInstrument::PrintLabel(const QByteArray& label)
{
    if (label.isEmpty()) {
        setErrorString(QStringLiteral("the label is empty"));
        return LabelFailed;
    }
    if (!isInitialized()) {
        refuseUninitialised(nullptr);
        return LabelFailed;
    }
    const unsigned offset = m_accel.functions.SetLabelOffset(m_accel.mHandle, m_accel.mDoc, 1, 1, 0);
    if (offset != 0) {
        logFailure(QStringLiteral("_ACCEL_SetLabelOffset Error"));
        return offset;
    }
    if (m_accel.functions.Write(m_accel.mHandle, m_accel.mDoc, label.constData(), label.size()) != 0) {
        logFailure(QStringLiteral("_ACCEL_Write Error"));
        return LabelFailed;
    }
    return m_accel.functions.EndLabel(m_accel.mHandle, m_accel.mDoc, 1);
}

void accelInstrument::EndPrint(int)
{
    m_accel.mEndFlag = 1;
}

void accelInstrument::cleanupACCEL()
{
    if (isInitialized()) {
        abortDocument();
        if (m_loadFunction) {
            m_accel.functions.Close(m_accel.mHandle);
            m_accel.functions.Terminate(m_accel.mHandle, 0);
            m_accel.functions.LoadLibraryTerminate(0);
        }
    }
    // The SDK reads no drying list any more.
    releaseDryingLists();
    m_library.unload();
    // The table points into the unloaded library: forget it with the handle.
    m_accel.functions = AccelFunctionTable{};
    m_accel.mHandle = nullptr;
    m_loadFunction = nullptr;
    CSdkLibrary::stopSockets();
}

void accelInstrument::writeToLog(const QString& text)
{
    emit addLogLine(text, 0);
}

QString accelInstrument::errorString() const
{
    std::lock_guard<std::mutex> lock(m_errorMutex);
    return m_errorString;
}

void accelInstrument::setErrorString(const QString& reason)
{
    std::lock_guard<std::mutex> lock(m_errorMutex);
    m_errorString = reason;
}

void accelInstrument::logFailure(const QString& line)
{
    writeToLog(line);
    setErrorString(line);
}

void accelInstrument::logReason(const QString& reason)
{
    writeToLog(QStringLiteral("ACCEL: %1").arg(reason));
    setErrorString(reason);
}

bool accelInstrument::refuseUninitialised(const char* line)
{
    if (line)
        writeToLog(QLatin1String(line));
    setErrorString(QStringLiteral("the ACCEL SDK is not initialised"));
    return false;
}

void accelInstrument::setParams(const PropertyMap& map)
{
    m_jobParams.fromMap(map);
}

void accelInstrument::setParams(accelMeasParams_st& params)
{
    PropertyMap map;
    params.toMap(map, eSaveValues);
    m_jobParams.fromMap(map);
}

void accelInstrument::toMap(PropertyMap& map, eSaveMode mode)
{
    if (!writesFullRecords(mode))
        return;
    const QString connected = DevProperty::tr("Connected");
    DevProperty::insertOrderedProperty(
        map, QStringLiteral("accelIsConnected"),
        DevProperty::QMapBoolProp(connected, connected, m_isConnected, false, true, true, QString(), QString()), 1);
}

void accelInstrument::fromMap(const PropertyMap&)
{
}

bool accelInstrument::checkDataCoherence(const PropertyMap&, PropertyMap&)
{
    return false;
}

QString accelInstrument::getClass() const
{
    return QStringLiteral("accelInstrument_st");
}

QString accelInstrument::getLabel() const
{
    return DevProperty::tr("accelInstrument_st");
}

QString accelInstrument::getToolTips() const
{
    return DevProperty::tr("accelInstrument_st");
}

void accelInstrument::pageEndSlot(bool resp, int)
{
    if (isInitialized()) {
        if (resp)
            endDocument();
        else
            abortDocument();
    }
    // The document has ended with its page: the SDK reads none of its drying lists any more.
    releaseDryingLists();
    emit pageEndSignal(resp);
}

void accelInstrument::pageMeasureProgrSlot(const QString& progrStr, int progrtype)
{
    emit measureProgr(progrStr, progrtype);
}

void accelInstrument::doPageEndSlot()
{
    if (isInitialized())
        m_accel.mEndFlag = m_accel.functions.IsDocFinished(m_accel.mHandle, m_accel.mDoc) != 0 ? 1 : 0;
}
