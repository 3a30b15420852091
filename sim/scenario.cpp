#include "scenario.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

namespace {

constexpr int MaxBatchLines = 64;
constexpr int MaxDelayMs = 60000;
constexpr size_t MaxVersionLength = 255; // the version field holds 256 bytes with its terminator

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return std::string();
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// Decimal, or hexadecimal with 0x; a leading 0 is not octal here.
bool parseInteger(const std::string& text, int64_t minimum, int64_t maximum, int64_t& value)
{
    std::string digits = text;
    bool negative = false;
    if (!digits.empty() && digits[0] == '-') {
        negative = true;
        digits.erase(0, 1);
    }
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.erase(0, 2);
    }
    uint64_t magnitude = 0;
    const char* end = digits.data() + digits.size();
    const auto result = std::from_chars(digits.data(), end, magnitude, base);
    if (digits.empty() || result.ec != std::errc() || result.ptr != end || magnitude > uint64_t(INT64_MAX))
        return false;
    value = negative ? -int64_t(magnitude) : int64_t(magnitude);
    return value >= minimum && value <= maximum;
}

bool parseInt32(const std::string& text, int32_t& value)
{
    int64_t wide = 0;
    if (!parseInteger(text, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), wide))
        return false;
    value = int32_t(wide);
    return true;
}

void parseChartFault(const std::string& value, ChartFault& fault, std::string& error)
{
    struct Word
    {
        const char* name;
        ChartFault::Kind kind;
        bool takesAmount;
    };
    static const Word words[] = {
        {"rebegin", ChartFault::Rebegin, false},      {"threads", ChartFault::Threads, false},
        {"width", ChartFault::Width, true},           {"padding", ChartFault::Padding, true},
        {"reverse", ChartFault::Reverse, false},      {"extra", ChartFault::Extra, true},
        {"answer-after-end", ChartFault::AnswerAfterEnd, true}, {"line-after-end", ChartFault::LineAfterEnd, false},
    };
    const auto equals = value.find('=');
    const std::string name = value.substr(0, equals);
    for (const Word& word : words) {
        if (name != word.name)
            continue;
        fault.kind = word.kind;
        if (word.takesAmount != (equals != std::string::npos))
            error = word.takesAmount ? "'" + name + "=<number>' expected" : "'" + name + "' takes no number";
        else if (word.takesAmount && !parseInteger(value.substr(equals + 1), 1, 0xFFFFFFFFll, fault.amount))
            error = "a positive number expected after '" + name + "='";
        return;
    }
    error = "unknown chart fault '" + value + "'";
}

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator))
        parts.push_back(trimmed(part));
    return parts;
}

bool percentAllowed(int32_t code)
{
    return code == 0x400 || code == 0x410 || code == 0x500;
}

bool parseStep(const std::string& text, StatusStep& step, std::string& error)
{
    std::istringstream words(text);
    std::string word;
    words >> word;
    if (!parseInt32(word, step.code)) {
        error = "status code expected, found '" + word + "'";
        return false;
    }
    while (words >> word) {
        const auto equals = word.find('=');
        const std::string name = word.substr(0, equals);
        int32_t number = 0;
        if (equals == std::string::npos || !parseInt32(word.substr(equals + 1), number)) {
            error = "name=number expected, found '" + word + "'";
            return false;
        }
        if (name == "page" && number > 0) {
            step.page = number;
        } else if (name == "progress" && percentAllowed(step.code)) {
            step.percent = number;
        } else if (name == "data" && number >= 0) {
            step.dataCount = number;
        } else if (name == "delay" && number >= 0 && number <= MaxDelayMs) {
            step.delayMs = number;
        } else if (name == "length") {
            step.lastBlockLength = number;
        } else if (name == "stall" && number >= 0 && number <= MaxDelayMs) {
            step.stallMs = number;
        } else if (name == "mAccelConnectionStatus") {
            step.setsErrors = true;
            step.errors.accelConnectionStatus = uint32_t(number);
        } else if (name == "mStatus") {
            step.setsErrors = true;
            step.errors.status = number;
        } else if (name == "mErrorCode") {
            step.setsErrors = true;
            step.errors.errorCode = number;
        } else if (name == "mILSErrorCode") {
            step.setsErrors = true;
            step.errors.ilsErrorCode = number;
        } else {
            error = "'" + word + "' does not fit a status " + std::to_string(step.code);
            return false;
        }
    }
    return true;
}

bool parseSteps(const std::string& text, std::vector<StatusStep>& steps, std::string& error)
{
    steps.clear();
    if (text.empty())
        return true;
    for (const std::string& part : split(text, ';')) {
        StatusStep step;
        if (!parseStep(part, step, error))
            return false;
        steps.push_back(step);
    }
    return true;
}

bool parseFault(const std::string& text, Fault& fault, std::string& error)
{
    const auto at = text.find('@');
    int64_t code = 0;
    if (!parseInteger(trimmed(text.substr(0, at)), 1, std::numeric_limits<uint32_t>::max(), code)) {
        error = "a non-zero 32-bit answer expected";
        return false;
    }
    fault.code = uint32_t(code);
    fault.calls.clear();
    if (at == std::string::npos)
        return true;
    for (const std::string& part : split(text.substr(at + 1), ',')) {
        int64_t call = 0;
        if (!parseInteger(part, 1, std::numeric_limits<int64_t>::max(), call)) {
            error = "call numbers from 1 expected after '@'";
            return false;
        }
        fault.calls.push_back(call);
    }
    return true;
}

} // namespace

const char* Scenario::fileName()
{
    return "accelsim.txt";
}

const std::vector<std::string>& Scenario::operationNames()
{
    static const std::vector<std::string> names = {
        "LoadFunction", "Initialize", "SetPrinter", "Terminate", "CreateDoc", "DeleteDoc", "StartDoc", "EndDoc",
        "PrintDoc", "ReleaseJobStatus", "AbortDoc", "MeasurePage", "Write", "IsDocFinished", "Open",
        "GetConnectionInfo", "GetJobStatus", "GetErrorCodes", "AllocMeasurementData", "DeallocMeasurementData",
        "SetLabelOffset", "EndLabel", "Close", "CreateChart", "LoadLibraryInitialize", "LoadLibraryTerminate",
        "SetApplicationName", "SetPlatformName", "SetPrintOption"};
    return names;
}

std::vector<StatusStep> Scenario::defaultSteps(int32_t endCode)
{
    std::vector<StatusStep> steps(5);
    steps[0].code = 0x100;
    steps[1].code = 0x400;
    steps[1].percent = 50;
    steps[2].code = 0x500;
    steps[2].percent = 100;
    steps[3].code = 0x520;
    steps[3].dataCount = 1;
    steps[4].code = endCode;
    return steps;
}

bool Scenario::load(const std::string& path, std::string& error)
{
    std::ifstream in(std::filesystem::u8path(path));
    if (!in.is_open())
        return true;
    return parse(in, error);
}

bool Scenario::parse(std::istream& in, std::string& error)
{
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        line = trimmed(line);
        if (line.empty() || line[0] == '#')
            continue;
        const auto equals = line.find('=');
        std::string why;
        if (equals == std::string::npos)
            why = "'key = value' expected";
        else
            parseLine(trimmed(line.substr(0, equals)), trimmed(line.substr(equals + 1)), why);
        if (!why.empty()) {
            error = "line " + std::to_string(number) + ": " + why;
            return false;
        }
    }
    return true;
}

bool Scenario::parseLine(const std::string& key, const std::string& value, std::string& error)
{
    int64_t number = 0;
    if (key == "version") {
        if (value.size() > MaxVersionLength)
            error = "version text longer than " + std::to_string(MaxVersionLength) + " bytes";
        version = value;
    } else if (key == "connection") {
        if (!parseInt32(value, connectionStatus))
            error = "32-bit number expected";
    } else if (key == "chart.thread") {
        if (value != "sdk" && value != "caller")
            error = "'sdk' or 'caller' expected";
        chartOnCallerThread = value == "caller";
    } else if (key == "chart.batch") {
        if (!parseInteger(value, 1, MaxBatchLines, number))
            error = "1 to " + std::to_string(MaxBatchLines) + " lines expected";
        chartBatchLines = int(number);
    } else if (key == "chart.fault") {
        parseChartFault(value, chartFault, error);
    } else if (key == "status.delay") {
        if (!parseInteger(value, 0, MaxDelayMs, number))
            error = "0 to " + std::to_string(MaxDelayMs) + " ms expected";
        statusDelayMs = int(number);
    } else if (key == "trace") {
        if (value.empty())
            error = "file name expected";
        traceFile = value;
    } else if (key == "dump.StartDoc" || key == "dump.CreateChart") {
        if (value.empty())
            error = "file name expected";
        recordFiles[key.substr(5)] = value;
    } else if (key == "page.default") {
        parseSteps(value, m_defaultPage.emplace(), error);
    } else if (key.compare(0, 5, "page.") == 0) {
        int32_t page = 0;
        if (!parseInt32(key.substr(5), page) || page < 1)
            error = "page number from 1 expected in '" + key + "'";
        else
            parseSteps(value, m_pages[page], error);
    } else if (key.compare(0, 5, "fail.") == 0) {
        const std::string operation = key.substr(5);
        const auto& names = operationNames();
        if (std::find(names.begin(), names.end(), operation) == names.end())
            error = "unknown operation '" + operation + "'";
        else
            parseFault(value, m_faults[operation], error);
    } else {
        error = "unknown key '" + key + "'";
    }
    return error.empty();
}

const std::vector<StatusStep>& Scenario::stepsForPage(int32_t page, bool dataEndsPage) const
{
    // A document mode other than 0 ignores a 0x580 right after the data of the same page.
    static const std::vector<StatusStep> endedByData = defaultSteps(0x580);
    static const std::vector<StatusStep> endedByCompletion = defaultSteps(0x800);
    const auto found = m_pages.find(page);
    if (found != m_pages.end())
        return found->second;
    if (m_defaultPage)
        return *m_defaultPage;
    return dataEndsPage ? endedByData : endedByCompletion;
}

uint32_t Scenario::faultFor(const std::string& operation, int64_t callNumber) const
{
    const auto found = m_faults.find(operation);
    if (found == m_faults.end())
        return 0;
    const Fault& fault = found->second;
    if (fault.calls.empty() || std::find(fault.calls.begin(), fault.calls.end(), callNumber) != fault.calls.end())
        return fault.code;
    return 0;
}
