#include "chartfile.h"

#include <QFile>

#include <cstring>

namespace {

constexpr int FirstInvertedChannel = 4;
constexpr int MaxChannels = int(sizeof(ChartRecord::mBackground));

int32_t recordChannels(const ChartCallbackData& data)
{
    return data.mChartRecord ? data.mChartRecord->mChannelCount : 0;
}

} // namespace

void ChartFile::restart()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_open)
        m_tiff.Discard();
    m_open = false;
    m_ended = false;
    m_failed = false;
    m_failure.clear();
    m_linesWritten = 0;
}

bool ChartFile::begin(const QString& path, const ChartCallbackData& data, QString& error)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_failed)
        return fail(error, m_failure);
    if (m_linesWritten > 0)
        return fail(error, QStringLiteral("the SDK began the chart again after %1 lines").arg(m_linesWritten));
    if (m_open)
        m_tiff.Discard();
    m_open = false;
    m_ended = false;

    const int32_t channels = recordChannels(data);
    if (data.mWidth <= 0 || data.mHeight <= 0 || channels < 1 || channels > MaxChannels)
        return fail(error, QStringLiteral("the SDK began a chart of %1 x %2 pixels with %3 channels")
                               .arg(data.mWidth)
                               .arg(data.mHeight)
                               .arg(channels));
    const ChartRecord& record = *data.mChartRecord;
    const unsigned long kind = channels >= 4 ? CTiffImg::Subtractive : CTiffImg::Additive;
    if (!m_tiff.Create(QFile::encodeName(path).constData(), unsigned(data.mWidth), unsigned(data.mHeight), 8, kind,
                       unsigned(channels), float(record.mResolutionX), float(record.mResolutionY), true))
        return fail(error, m_tiff.GetErrorText());
    m_open = true;
    m_path = path;
    m_width = data.mWidth;
    m_height = data.mHeight;
    m_channels = channels;
    m_line.resize(int(m_tiff.GetBytesPerLine()));
    return true;
}

bool ChartFile::writeLines(const ChartCallbackData& data, QString& error)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_failed)
        return fail(error, m_failure);
    if (!m_open || m_ended)
        return fail(error, m_ended ? QStringLiteral("the SDK handed over chart lines after the end of the chart")
                                   : QStringLiteral("the SDK handed over chart lines before its beginning"));
    if (data.mWidth != m_width || recordChannels(data) != m_channels)
        return fail(error, QStringLiteral("the SDK handed over lines of %1 pixels and %2 channels for a chart of "
                                          "%3 pixels and %4 channels")
                               .arg(data.mWidth)
                               .arg(recordChannels(data))
                               .arg(m_width)
                               .arg(m_channels));
    const int64_t lineBytes = int64_t(m_width) * m_channels;
    if (data.mBytesPerLine < lineBytes || data.mLineCount < 0 || (data.mLineCount > 0 && !data.mLines))
        return fail(error, QStringLiteral("the SDK handed over %1 lines of %2 bytes for lines of %3 bytes")
                               .arg(data.mLineCount)
                               .arg(data.mBytesPerLine)
                               .arg(lineBytes));
    if (data.mFirstLine != m_linesWritten)
        return fail(error, QStringLiteral("the SDK handed over line %1 where line %2 was due")
                               .arg(data.mFirstLine)
                               .arg(m_linesWritten));
    if (int64_t(data.mFirstLine) + data.mLineCount > m_height)
        return fail(error, QStringLiteral("the SDK handed over lines %1 to %2 of a chart of %3 lines")
                               .arg(data.mFirstLine)
                               .arg(int64_t(data.mFirstLine) + data.mLineCount - 1)
                               .arg(m_height));
    for (int32_t i = 0; i < data.mLineCount; ++i) {
        if (!writeLine(data.mLines + int64_t(i) * data.mBytesPerLine, error))
            return false;
    }
    return true;
}

bool ChartFile::writeLine(const uint8_t* source, QString& error)
{
    auto* line = reinterpret_cast<uint8_t*>(m_line.data());
    std::memcpy(line, source, size_t(m_line.size()));
    for (int x = 0; x < m_width; ++x) {
        uint8_t* pixel = line + int64_t(x) * m_channels;
        for (int c = FirstInvertedChannel; c < m_channels; ++c)
            pixel[c] = uint8_t(255 - pixel[c]);
    }
    if (!m_tiff.WriteLine(line))
        return fail(error,
                    QStringLiteral("chart line %1 could not be written: %2").arg(m_linesWritten).arg(m_tiff.GetErrorText()));
    ++m_linesWritten;
    return true;
}

void ChartFile::end()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ended = true;
}

bool ChartFile::commit(QString& error)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_failed)
        return fail(error, m_failure);
    if (!m_open || !m_ended || m_linesWritten < m_height)
        return fail(error, QStringLiteral("the chart ended after %1 of its %2 lines, before its TIFF file was complete")
                               .arg(m_linesWritten)
                               .arg(m_height));
    m_open = false;
    if (!m_tiff.Close())
        return fail(error, m_tiff.GetErrorText());
    return true;
}

void ChartFile::discard()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_open)
        m_tiff.Discard();
    m_open = false;
}

QString ChartFile::failure() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_failure;
}

// Called with the lock held: the chart is failed for good and its file dropped.
bool ChartFile::fail(QString& error, const QString& reason)
{
    if (!m_failed) {
        m_failed = true;
        m_failure = reason;
    }
    if (m_open)
        m_tiff.Discard();
    m_open = false;
    error = reason;
    return false;
}
