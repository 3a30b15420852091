#ifndef LUMETRA_SIM_SCENARIO_H
#define LUMETRA_SIM_SCENARIO_H

#include <cstdint>
#include <istream>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The codes GetErrorCodes reports.
struct ErrorCodes
{
    uint32_t accelConnectionStatus = 1;
    int32_t status = 0;
    int32_t errorCode = 0;
    int32_t ilsErrorCode = 0;
};

// One status of a measured page as the status callback will see it.
struct StatusStep
{
    int32_t code = 0;
    int32_t page = 0;        // reported page; 0 = the page being measured
    int32_t percent = 0;     // goes to the field of the code (0x400, 0x410 or 0x500)
    int32_t dataCount = 0;   // blocks AllocMeasurementData hands out for the reported page
    int32_t delayMs = -1;    // pause before the status; -1 = the scenario's status delay
    std::optional<int32_t> lastBlockLength; // what the last data block reports as its length; none = its size
    int32_t stallMs = 0;     // how long AllocMeasurementData takes to answer for the reported page
    bool setsErrors = false; // errors replace the codes of GetErrorCodes from this status on
    ErrorCodes errors;
};

// A scripted failure of one operation.
struct Fault
{
    uint32_t code = 0;
    std::vector<int64_t> calls; // 1-based call numbers it applies to; empty = every call
};

// A way the chart callbacks can be misused, as a faulty SDK might.
struct ChartFault
{
    enum Kind {
        None,
        Rebegin,        // the begin callback again after the first batch
        Threads,        // batches from two threads at once
        Width,          // line callbacks report another width (amount)
        Padding,        // every line carries amount bytes of padding
        Reverse,        // batches from the last to the first
        Extra,          // a batch of amount lines past the height before the end
        AnswerAfterEnd, // CreateChart answers amount after a complete end
        LineAfterEnd    // the last batch again after the end callback
    };
    Kind kind = None;
    int64_t amount = 0;
};

// How the simulated printer behaves: the scenario file of the simulator's
// folder, or the defaults (a connected, working ILS30EP) when there is none.
struct Scenario
{
    static const char* fileName();
    // Every operation name a fault can name.
    static const std::vector<std::string>& operationNames();

    // A missing file leaves the defaults; a malformed one fails with "line N: why".
    bool load(const std::string& path, std::string& error);
    bool parse(std::istream& in, std::string& error);

    // dataEndsPage: the document was started in the driver's document mode 0,
    // where the data of a page ends it; otherwise the default ends it with 0x800.
    const std::vector<StatusStep>& stepsForPage(int32_t page, bool dataEndsPage) const;
    // The code the callNumber-th call of operation must fail with, or 0.
    uint32_t faultFor(const std::string& operation, int64_t callNumber) const;

    std::string version = "ACCEL simulator ILS30EP firmware 1.0";
    int32_t connectionStatus = 1;
    bool chartOnCallerThread = false;
    int chartBatchLines = 64;
    ChartFault chartFault;
    int statusDelayMs = 0;
    std::string traceFile; // empty = no trace
    // Where the records given to StartDoc and CreateChart go, raw, by operation; none = nowhere.
    std::map<std::string, std::string> recordFiles;

private:
    bool parseLine(const std::string& key, const std::string& value, std::string& error);

    std::optional<std::vector<StatusStep>> m_defaultPage; // page.default; none = defaultSteps()
    std::map<int32_t, std::vector<StatusStep>> m_pages;
    std::map<std::string, Fault> m_faults;

    static std::vector<StatusStep> defaultSteps(int32_t endCode);
};

#endif
