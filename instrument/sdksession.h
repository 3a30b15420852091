#ifndef LUMETRA_SDKSESSION_H
#define LUMETRA_SDKSESSION_H

#include "accelrecords.h"
#include "accelsdk.h"
#include "csdklibrary.h"

#include <QByteArray>
#include <QString>

class accelMeasParams_st;
class InstrumentReport;

// The instrument's session with the ACCEL SDK: the library and its bound
// table, the printer connection and the print document. Owns every text and
// record the SDK keeps pointers to, for as long as the instrument lives.
class SdkSession
{
public:
    SdkSession(const QString& sdkFolder, const accelMeasParams_st& job, InstrumentReport& report);

    SdkSession(const SdkSession&) = delete;
    SdkSession& operator=(const SdkSession&) = delete;

    // Loads and binds the SDK and initialises it for one printer.
    bool initialize(int connectionType, const QString& address, const QString& model);
    // Whether the spectrophotometer answers; reads the chart type from the SDK's version.
    bool checkConnection();
    // Opens the connection and a print document of the given mode for the job's paper.
    bool start(int mode);
    void endDocument();
    void abortDocument();
    unsigned write(const char* data, qint64 length);
    unsigned printLabel(const QByteArray& label);
    // Asks the SDK whether the document has finished and keeps the answer as the end flag.
    void askDocumentFinished();
    // Aborts the document and closes and terminates the SDK; unload() then releases the library.
    void terminate();
    void unload();

    bool isInitialized() const { return m_accel.mHandle != nullptr; }
    bool isConnected() const { return m_isConnected; }
    int chartType() const { return m_chartType; }
    int documentMode() const { return m_docMode; }
    _AccelStruct& accel() { return m_accel; }
    const _AccelStruct& accel() const { return m_accel; }

private:
    // Fixed text fields the SDK keeps pointers to: zero-terminated, so at most 253 characters.
    static constexpr int TextFieldSize = 255;
    static constexpr int MaxTextLength = TextFieldSize - 2;
    using TextField = char[TextFieldSize];

    bool loadLibrary();
    QString libraryGivenAsFolder() const;
    bool loaderFailed(const QString& line, const QString& reason);
    bool copyText(const QString& text, TextField& field, int clearedBytes, const char* what);
    bool openConnection(const char* failureLine);
    bool openDocument();
    bool fillDocRecord();

    const accelMeasParams_st& m_job;
    InstrumentReport& m_report;
    _AccelStruct m_accel;
    CSdkLibrary m_library;
    AccelLoadFunction m_loadFunction = nullptr;
    QString m_libraryPath;
    QString m_sdkFolder;
    QString m_platformName;
    QString m_printerAddress;
    QString m_printerModel;
    TextField m_sdkFolderBytes = {};
    TextField m_tempFolderBytes = {};
    TextField m_platformBytes = {};
    int m_connectionCode = 4;
    bool m_isConnected = false;
    int m_chartType = 2;
    int m_docMode = 0;
    DocRecord m_docRecord = {};
};

#endif
