#ifndef LUMETRA_CHARTWRITER_H
#define LUMETRA_CHARTWRITER_H

#include "accelrecords.h"
#include "chartfile.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>

class accelMeasParams_st;
class accelParams_st;
class InstrumentReport;
class QObject;
class SdkSession;

// The measurement chart of the job's first page: its colour table and chart
// record, and the SDK's three chart callbacks that fill the TIFF file. The
// record and the table stay where the SDK was told they are until it returns.
class ChartWriter
{
public:
    // instrument receives the queued endCreateTiff once the SDK has ended the chart.
    ChartWriter(SdkSession& session, accelMeasParams_st& job, InstrumentReport& report, QObject* instrument);

    ChartWriter(const ChartWriter&) = delete;
    ChartWriter& operator=(const ChartWriter&) = delete;

    void setTiffPath(const QString& path) { m_tiffPath = path; }
    // Builds the colour table, has the SDK render the chart and saves the file.
    bool generate();

private:
    bool buildColorTable(accelParams_st* page);
    void reportMissingTarget(const accelParams_st* page);
    QString chartSize(accelParams_st* page, int64_t& width, int64_t& height);
    void fillCreateChart(accelParams_st* page, unsigned int width, unsigned int height);
    bool chartFailed(const QString& reason);

    static unsigned BeginChartCallBack(void* const handle, int doc, const void* data, void* user);
    static unsigned ChartCallBack(void* const handle, int doc, const void* data, void* user);
    static unsigned EndChartCallBack(void* const handle, int doc, const void* data, void* user);

    SdkSession& m_session;
    accelMeasParams_st& m_job;
    InstrumentReport& m_report;
    QObject* const m_instrument;
    std::unique_ptr<uint8_t[]> m_colorTable;
    ChartRecord m_chartRecord = {};
    ChartFile m_chartFile;
    QString m_tiffPath;
    std::atomic<bool> m_chartClosed{false};
};

#endif
