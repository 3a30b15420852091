#ifndef LUMETRA_SIM_CHARTRENDERER_H
#define LUMETRA_SIM_CHARTRENDERER_H

#include "accelsdk.h"
#include "chartlayout.h"
#include "scenario.h"

#include <functional>
#include <string>
#include <vector>

// Renders a laid-out chart batch by batch into the callbacks of CreateChart:
// begin once, the line callback per batch, end once, unless the scenario's chart
// fault makes it misuse them. Only one batch per thread is held in memory, so a
// large chart costs little.
class ChartRenderer
{
public:
    struct Callbacks
    {
        AccelChartCallback line = nullptr;
        AccelChartCallback begin = nullptr;
        AccelChartCallback end = nullptr;
        void* user = nullptr;
    };
    using Tracer = std::function<void(const std::string&)>;

    static constexpr int MaxBatchBytes = 16 << 20;

    ChartRenderer(const ChartLayout& layout, const ChartRecord* record, int batchLines, ChartFault fault);

    // The first non-zero answer of a callback stops the chart and is returned;
    // a refused chart gets no end callback.
    uint32_t run(AccelHandle handle, int32_t doc, const Callbacks& callbacks, const Tracer& trace) const;

    int batchLines() const { return m_batchLines; }

private:
    struct Batch
    {
        int32_t first;
        int32_t count;
    };
    using Call = std::function<uint32_t(const char* name, AccelChartCallback callback, ChartCallbackData& data)>;

    std::vector<Batch> batches() const;
    // Renders and hands over the batches, stopping at the first non-zero answer.
    uint32_t sendBatches(const std::vector<Batch>& batches, ChartCallbackData data, const Call& call,
                         const Callbacks& callbacks) const;
    uint32_t sendOnTwoThreads(const std::vector<Batch>& batches, const ChartCallbackData& data, const Call& call,
                              const Callbacks& callbacks) const;

    const ChartLayout& m_layout;
    const ChartRecord* m_record;
    int m_batchLines;
    ChartFault m_fault;
    int32_t m_bytesPerLine;
};

#endif
