#include "chartrenderer.h"

#include "calltrace.h"

#include <algorithm>
#include <thread>
#include <vector>

ChartRenderer::ChartRenderer(const ChartLayout& layout, const ChartRecord* record, int batchLines, ChartFault fault)
    : m_layout(layout), m_record(record), m_fault(fault)
{
    const int64_t padding = fault.kind == ChartFault::Padding ? fault.amount : 0;
    m_bytesPerLine = int32_t(std::min<int64_t>(layout.bytesPerLine() + padding, MaxBatchBytes));
    // Very wide lines get smaller batches so a batch stays within MaxBatchBytes.
    const int fitting = std::max(1, MaxBatchBytes / std::max(1, m_bytesPerLine));
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
    data.mBytesPerLine = m_bytesPerLine;

    const Call call = [&](const char* name, AccelChartCallback callback, ChartCallbackData& callData) {
        trace(std::string("-> ") + name + "(first=" + std::to_string(callData.mFirstLine)
              + ", lines=" + std::to_string(callData.mLineCount) + ")");
        const uint32_t answer = callback(handle, doc, &callData, callbacks.user);
        trace(std::string("<- ") + name + " = " + CallTrace::code(answer));
        return answer;
    };

    if (const uint32_t answer = call("ChartBegin", callbacks.begin, data))
        return answer;
    const std::vector<Batch> all = batches();
    const uint32_t sent = m_fault.kind == ChartFault::Threads ? sendOnTwoThreads(all, data, call, callbacks)
                                                               : sendBatches(all, data, call, callbacks);
    if (sent != 0)
        return sent;
    data.mLines = nullptr;
    data.mFirstLine = m_layout.height();
    data.mLineCount = 0;
    if (const uint32_t answer = call("ChartEnd", callbacks.end, data))
        return answer;
    if (m_fault.kind == ChartFault::LineAfterEnd && !all.empty())
        sendBatches({all.back()}, data, call, callbacks);
    return m_fault.kind == ChartFault::AnswerAfterEnd ? uint32_t(m_fault.amount) : 0;
}

std::vector<ChartRenderer::Batch> ChartRenderer::batches() const
{
    std::vector<Batch> list;
    for (int32_t first = 0; first < m_layout.height(); first += m_batchLines)
        list.push_back({first, std::min(m_batchLines, m_layout.height() - first)});
    if (m_fault.kind == ChartFault::Reverse)
        std::reverse(list.begin(), list.end());
    if (m_fault.kind == ChartFault::Extra)
        list.push_back({m_layout.height(), int32_t(std::min<int64_t>(m_fault.amount, m_batchLines))});
    return list;
}

uint32_t ChartRenderer::sendBatches(const std::vector<Batch>& batches, ChartCallbackData data, const Call& call,
                                    const Callbacks& callbacks) const
{
    std::vector<uint8_t> buffer(size_t(m_batchLines) * size_t(m_bytesPerLine));
    for (size_t b = 0; b < batches.size(); ++b) {
        const Batch& batch = batches[b];
        std::fill(buffer.begin(), buffer.end(), 0);
        for (int32_t i = 0; i < batch.count; ++i) {
            if (batch.first + i < m_layout.height())
                m_layout.renderLine(batch.first + i, buffer.data() + size_t(i) * size_t(m_bytesPerLine));
        }
        data.mLines = buffer.data();
        data.mFirstLine = batch.first;
        data.mLineCount = batch.count;
        if (m_fault.kind == ChartFault::Width)
            data.mWidth = int32_t(m_fault.amount);
        if (const uint32_t answer = call("ChartLines", callbacks.line, data))
            return answer;
        if (b == 0 && m_fault.kind == ChartFault::Rebegin) {
            ChartCallbackData again = data;
            again.mLines = nullptr;
            again.mFirstLine = 0;
            again.mLineCount = 0;
            again.mWidth = m_layout.width();
            if (const uint32_t answer = call("ChartBegin", callbacks.begin, again))
                return answer;
        }
    }
    return 0;
}

// Even batches on one thread, odd ones on another, both calling back at once.
uint32_t ChartRenderer::sendOnTwoThreads(const std::vector<Batch>& batches, const ChartCallbackData& data,
                                         const Call& call, const Callbacks& callbacks) const
{
    std::vector<Batch> halves[2];
    for (size_t b = 0; b < batches.size(); ++b)
        halves[b % 2].push_back(batches[b]);
    uint32_t answers[2] = {0, 0};
    std::thread second([&] { answers[1] = sendBatches(halves[1], data, call, callbacks); });
    answers[0] = sendBatches(halves[0], data, call, callbacks);
    second.join();
    return answers[0] != 0 ? answers[0] : answers[1];
}
