#include "chartrenderer.h"

#include "calltrace.h"

#include <algorithm>
#include <vector>

ChartRenderer::ChartRenderer(const ChartLayout& layout, const ChartRecord* record, int batchLines)
    : m_layout(layout), m_record(record)
{
    // Very wide lines get smaller batches so a batch stays within MaxBatchBytes.
    const int fitting = std::max(1, MaxBatchBytes / std::max(1, layout.bytesPerLine()));
    m_batchLines = std::max(1, std::min(batchLines, fitting));
}

uint32_t ChartRenderer::run(AccelHandle handle, int32_t doc, const Callbacks& callbacks, const Tracer& trace) const
{
    ChartCallbackData data = {};
    data.mSize = int32_t(sizeof data);
    data.mChartRecord = m_record;
    data.mChannelCount = m_layout.channels();
    data.mWidth = m_layout.width();
    data.mHeight = m_layout.height();
    data.mBytesPerLine = m_layout.bytesPerLine();

    const auto call = [&](const char* name, AccelChartCallback callback) {
        trace(std::string("-> ") + name + "(first=" + std::to_string(data.mFirstLine)
              + ", lines=" + std::to_string(data.mLineCount) + ")");
        const uint32_t answer = callback(handle, doc, &data, callbacks.user);
        trace(std::string("<- ") + name + " = " + CallTrace::code(answer));
        return answer;
    };

    if (const uint32_t answer = call("ChartBegin", callbacks.begin))
        return answer;
    std::vector<uint8_t> batch(size_t(m_batchLines) * size_t(m_layout.bytesPerLine()));
    for (int32_t first = 0; first < m_layout.height(); first += m_batchLines) {
        const int32_t count = std::min(m_batchLines, m_layout.height() - first);
        for (int32_t i = 0; i < count; ++i)
            m_layout.renderLine(first + i, batch.data() + size_t(i) * size_t(m_layout.bytesPerLine()));
        data.mLines = batch.data();
        data.mFirstLine = first;
        data.mLineCount = count;
        if (const uint32_t answer = call("ChartLines", callbacks.line))
            return answer;
    }
    data.mLines = nullptr;
    data.mFirstLine = m_layout.height();
    data.mLineCount = 0;
    return call("ChartEnd", callbacks.end);
}
