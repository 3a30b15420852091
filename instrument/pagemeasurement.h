#ifndef LUMETRA_PAGEMEASUREMENT_H
#define LUMETRA_PAGEMEASUREMENT_H

#include "accelrecords.h"
#include "accelsdk.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

class accelInstrument;
class accelMeasParams_st;
class accelParams_st;
class InstrumentReport;
class SdkSession;

// Measuring the pages of the open document: the measurement record and drying
// list the SDK reads for a page, and the SDK's status callback with the page's
// data files. Page ends are handed to the instrument's thread as queued calls.
class PageMeasurement
{
public:
    PageMeasurement(SdkSession& session, const accelMeasParams_st& job, InstrumentReport& report,
                    accelInstrument& instrument);

    PageMeasurement(const PageMeasurement&) = delete;
    PageMeasurement& operator=(const PageMeasurement&) = delete;

    // A new document: no drying list, an empty record, data files named after prefix in folder.
    void prepare(const QString& dataFilePrefix, const QString& dataFolder);
    bool printDocument();
    // The SDK's answer to MeasurePage, or the driver's PageFailed.
    unsigned startPage(int page);
    // The page filled in, or null (with a log line) when it cannot be measured.
    const accelParams_st* fillMeasurementRecord(int page);
    void fillArtificialDryingList(int page);
    void releaseDryingLists();
    void setDryingOffset(int millimetres) { m_dryingOffset = millimetres; }
    int dryingOffset() const { return m_dryingOffset; }

    // Queued to the instrument's thread.
    void queueDocumentFinishedCheck();
    void reportProgress(const QString& text, int type);

    const MeasurementRecord& record() const { return *m_measurementRecord; }
    const DryingRecord* dryingList() const { return m_dryingList; }
    int dryingEntryCount() const { return m_dryingEntryCount; }
    size_t keptDryingLists() const { return m_dryingLists.size(); }
    static AccelStatusCallback statusCallback() { return &Accel_StatusCallBack; }

private:
    const accelParams_st* measurablePage(int page);
    void useNoDryingList();
    static unsigned Accel_StatusCallBack(void* const handle, int doc, void* user);
    unsigned handleStatus(void* handle, int doc);
    unsigned receivePageData(int doc, int page);
    void reportStatusError(void* handle);
    static unsigned Accel_Measurement(_AccelStruct* accel, int doc, int page, QByteArray& data, QString& error);
    void gotPageData(int page, const QByteArray& data);
    void pageEnd(bool resp, int page);

    SdkSession& m_session;
    const accelMeasParams_st& m_job;
    InstrumentReport& m_report;
    accelInstrument& m_instrument;
    std::unique_ptr<MeasurementRecord> m_measurementRecord;
    // The artificial drying list of the current page (null and 0 when there is none)
    // and every list the SDK may still read: kept until a page has ended.
    const DryingRecord* m_dryingList = nullptr;
    int m_dryingEntryCount = 0;
    std::vector<std::vector<DryingRecord>> m_dryingLists;
    int m_dryingOffset = 0;
    QString m_dataFilePrefix;
    QString m_dataFolder;
};

#endif
