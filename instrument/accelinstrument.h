#ifndef LUMETRA_ACCELINSTRUMENT_H
#define LUMETRA_ACCELINSTRUMENT_H

#include "accelmeasparams_st.h"
#include "accelrecords.h"
#include "accelsdk.h"
#include "csdklibrary.h"
#include "chartfile.h"
#include "devproperty.h"
#include "lumetra_export.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

class accelParams_st;

// The driver of the printer's inline spectrophotometer over the ACCEL SDK: loads
// and binds the SDK, checks the instrument, opens print documents, generates the
// measurement chart as a TIFF file and reports through signals.
class LUMETRA_EXPORT accelInstrument : public QObject, public DevProperty
{
    Q_OBJECT

public:
    // Answer of the chart begin and line callbacks that stops the chart.
    static constexpr unsigned ChartRefused = 0x800002;
    // Answer of PrintLabel for a label that cannot be sent.
    static constexpr unsigned LabelFailed = 0x800001;
    // The driver's answer for a page it cannot set up or whose data it cannot fetch.
    static constexpr unsigned PageFailed = 0x800001;
    // The status callback's answer to a null handle or user, or a negative document.
    static constexpr unsigned BadCallbackArguments = 0x20002;

    explicit accelInstrument(const QString& sdkFolder);
    ~accelInstrument() override;

    accelInstrument(const accelInstrument&) = delete;
    accelInstrument& operator=(const accelInstrument&) = delete;

    bool InitInstrument(int connectionType, const QString& address, const QString& model);
    bool checkAccelConnession();
    bool AccelStart(int mode, const QString& dataFilePrefix, const QString& dataFolder);
    bool accelPrintDoc();
    void doEndDoc();
    unsigned Accel_Abort();
    unsigned AccelWrite(const char* data, qint64 length);
    unsigned PrintLabel(const QByteArray& label);
    void EndPrint(int);
    void cleanupACCEL();

    bool GenerateTiff();

    // Measuring pages of the open document: page is the 0-based index in the job.
    bool StartPage(int page);
    void fillMeasurementStruct(int page);
    void fillArtificialDryingStruct(int page);
    void doPageEnd();
    void doPageMeasureProgress(const QString& text, int type);
    // Where the drying strip starts, in whole millimetres; 0 unless a host sets it.
    void setDryingOffset(int millimetres) { m_dryingOffset = millimetres; }
    int getDryingOffset() const { return m_dryingOffset; }

    bool getIsConnected() const { return m_isConnected; }
    bool isInitialized() const { return m_accel.mHandle != nullptr; }
    int getChartType() const { return m_chartType; }
    void setTiffPath(const QString& path) { m_tiffPath = path; }
    void writeToLog(const QString& text);
    // Why the last failure happened, for a host to show its operator: the most
    // specific reason known, such as the loader's message, the SDK operation that
    // answered an error, the target reader's verdict or the reason of the TIFF or
    // data file. Empty until something fails; a later success does not clear it.
    // Set by every operation that returns false and by a failed label, page, page
    // end or chart; pages fail on the SDK's thread, so it may be read from any.
    // AccelWrite hands back the SDK's answer only.
    QString errorString() const;

    void setParams(const PropertyMap& map);
    void setParams(accelMeasParams_st& params);
    const accelMeasParams_st& params() const { return m_jobParams; }

    void toMap(PropertyMap& map, eSaveMode mode) override;
    void fromMap(const PropertyMap& map) override;
    bool checkDataCoherence(const PropertyMap& in, PropertyMap& out) override;
    QString getClass() const override;
    QString getLabel() const override;
    QString getToolTips() const override;

signals:
    void addLogLine(const QString& logLine, int debuglevel = 0);
    void pageEndSignal(bool res);
    void measureProgr(const QString& progrStr, int progrtype);
    void MeasureDataSignal(const QString& file);
    void endCreateTiff();

private slots:
    void pageEndSlot(bool resp, int page);
    void pageMeasureProgrSlot(const QString& progrStr, int progrtype);
    void doPageEndSlot();

private:
    // Fixed text fields the SDK keeps pointers to: zero-terminated, so at most 253 characters.
    static constexpr int TextFieldSize = 255;
    static constexpr int MaxTextLength = TextFieldSize - 2;
    using TextField = char[TextFieldSize];

    // Logs the line and keeps it as the reason of the failure.
    void logFailure(const QString& line);
    // Logs "ACCEL: <reason>" and keeps the reason.
    void logReason(const QString& reason);
    void setErrorString(const QString& reason);
    // Logs the line, when there is one, for an operation that needs the SDK initialised.
    bool refuseUninitialised(const char* line);
    bool loadLibrary();
    QString libraryGivenAsFolder() const;
    bool loaderFailed(const QString& line, const QString& reason);

    bool AccelDocument();
    bool openConnection(const char* failureLine);
    bool copyText(const QString& text, TextField& field, int clearedBytes, const char* what);
    bool fillDocRecord();
    void abortDocument();
    void endDocument();

    bool buildColorTable(accelParams_st* page);
    void reportMissingTarget(const accelParams_st* page);
    void fillCreateChart(accelParams_st* page, unsigned int width, unsigned int height);
    QString chartSize(accelParams_st* page, int64_t& width, int64_t& height);
    bool chartFailed(const QString& reason);
    static unsigned BeginChartCallBack(void* const handle, int doc, const void* data, void* user);
    static unsigned ChartCallBack(void* const handle, int doc, const void* data, void* user);
    static unsigned EndChartCallBack(void* const handle, int doc, const void* data, void* user);

    unsigned startPage(int page);
    // The page filled in, or null (with a log line) when it cannot be measured.
    const accelParams_st* fillMeasurementRecord(int page);
    const accelParams_st* measurablePage(int page);
    void useNoDryingList();
    void releaseDryingLists();
    static unsigned Accel_StatusCallBack(void* const handle, int doc, void* user);
    unsigned handleStatus(void* handle, int doc);
    unsigned receivePageData(int doc, int page);
    void reportStatusError(void* handle);
    static unsigned Accel_Measurement(_AccelStruct* accel, int doc, int page, QByteArray& data, QString& error);
    void gotPageData(int page, const QByteArray& data);
    void pageEnd(bool resp, int page);

    // Tests look at the records the SDK is given through a probe of their own.
    friend class accelInstrumentProbe;

    // The artificial drying list of the current page (null and 0 when there is none)
    // and every list the SDK may still read: kept until a page has ended.
    const DryingRecord* m_dryingList = nullptr;
    int m_dryingEntryCount = 0;
    std::vector<std::vector<DryingRecord>> m_dryingLists;
    int m_dryingOffset = 0;

    QString m_dataFilePrefix;
    QString m_dataFolder;
    std::unique_ptr<MeasurementRecord> m_measurementRecord;
    _AccelStruct m_accel;
    ChartFile m_chartFile;
    QString m_tiffPath;
    QString m_platformName;
    accelMeasParams_st m_jobParams;
    QString m_libraryPath;
    CSdkLibrary m_library;
    AccelLoadFunction m_loadFunction = nullptr;
    QString m_sdkFolder;
    int m_connectionType = 0;
    bool m_isConnected = false;
    QString m_printerAddress;
    QString m_printerModel;
    TextField m_sdkFolderBytes = {};
    TextField m_tempFolderBytes = {};
    TextField m_platformBytes = {};
    std::unique_ptr<uint8_t[]> m_colorTable;
    int m_connectionCode = 4;
    int m_docMode = 0;
    DocRecord m_docRecord = {};
    ChartRecord m_chartRecord = {};
    int m_chartType = 2;
    std::atomic<bool> m_chartClosed{false};
    // Written from the SDK's threads as well.
    mutable std::mutex m_errorMutex;
    QString m_errorString;
};

#endif
