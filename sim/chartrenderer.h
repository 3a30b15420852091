#ifndef LUMETRA_SIM_CHARTRENDERER_H
#define LUMETRA_SIM_CHARTRENDERER_H

#include "accelsdk.h"
#include "chartlayout.h"

#include <functional>
#include <string>

// Renders a laid-out chart batch by batch into the callbacks of CreateChart:
// begin once, the line callback per batch, end once. Only one batch is held
// in memory, so a large chart costs little.
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

    ChartRenderer(const ChartLayout& layout, const ChartRecord* record, int batchLines);

    // The first non-zero answer of a callback stops the chart and is returned;
    // a refused chart gets no end callback.
    uint32_t run(AccelHandle handle, int32_t doc, const Callbacks& callbacks, const Tracer& trace) const;

    int batchLines() const { return m_batchLines; }

private:
    const ChartLayout& m_layout;
    const ChartRecord* m_record;
    int m_batchLines;
};

#endif
