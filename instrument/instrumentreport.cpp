#include "instrumentreport.h"

#include <utility>

InstrumentReport::InstrumentReport(LogSink sink)
    : m_sink(std::move(sink))
{
}

void InstrumentReport::log(const QString& line) const
{
    m_sink(line);
}

void InstrumentReport::failure(const QString& line)
{
    log(line);
    setErrorString(line);
}

void InstrumentReport::reason(const QString& reason)
{
    log(QStringLiteral("ACCEL: %1").arg(reason));
    setErrorString(reason);
}

bool InstrumentReport::uninitialised(const char* line)
{
    if (line)
        log(QLatin1String(line));
    setErrorString(QStringLiteral("the ACCEL SDK is not initialised"));
    return false;
}

void InstrumentReport::setErrorString(const QString& reason)
{
    std::lock_guard<std::mutex> lock(m_errorMutex);
    m_errorString = reason;
}

QString InstrumentReport::errorString() const
{
    std::lock_guard<std::mutex> lock(m_errorMutex);
    return m_errorString;
}
