#ifndef LUMETRA_INSTRUMENTREPORT_H
#define LUMETRA_INSTRUMENTREPORT_H

#include <QString>

#include <functional>
#include <mutex>

// What the instrument tells its host: log lines, and the reason of the last
// failure. The SDK's threads report through it as well.
class InstrumentReport
{
public:
    using LogSink = std::function<void(const QString&)>;

    explicit InstrumentReport(LogSink sink);

    void log(const QString& line) const;
    // Logs the line and keeps it as the reason of the failure.
    void failure(const QString& line);
    // Logs "ACCEL: <reason>" and keeps the reason.
    void reason(const QString& reason);
    // Logs the line, when there is one, for an operation that needs the SDK initialised; false.
    bool uninitialised(const char* line);

    void setErrorString(const QString& reason);
    QString errorString() const;

private:
    LogSink m_sink;
    mutable std::mutex m_errorMutex;
    QString m_errorString;
};

#endif
