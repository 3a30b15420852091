#include "areascaler.h"

#include <algorithm>

// Both sides are measured in common units: a source pixel is m_width units wide and
// an output pixel m_sourceWidth (likewise for lines), so that every boundary is a
// whole number and the weights are exact.
AreaScaler::AreaScaler(int sourceWidth, int sourceHeight, int width, int height, int components)
    : m_sourceWidth(std::max(sourceWidth, 1))
    , m_sourceHeight(std::max(sourceHeight, 1))
    , m_width(std::clamp(width, 1, m_sourceWidth))
    , m_height(std::clamp(height, 1, m_sourceHeight))
    , m_components(components)
    , m_firstColumn(size_t(m_sourceWidth))
    , m_firstWeight(size_t(m_sourceWidth))
    , m_columnSums(size_t(m_width + 1) * size_t(components))
    , m_lineSums(size_t(m_width) * size_t(components))
    , m_output(size_t(m_width) * size_t(components))
{
    for (int64_t x = 0; x < m_sourceWidth; ++x) {
        const int64_t begin = x * m_width;
        const int64_t column = begin / m_sourceWidth;
        const int64_t boundary = (column + 1) * m_sourceWidth;
        m_firstColumn[size_t(x)] = int32_t(column);
        m_firstWeight[size_t(x)] = uint32_t(std::min<int64_t>(m_width, boundary - begin));
    }
}

const uint8_t* AreaScaler::push(const uint8_t* line)
{
    if (m_width == m_sourceWidth && m_height == m_sourceHeight)
        return line;
    if (m_sourceLine >= m_sourceHeight)
        return nullptr;

    std::fill(m_columnSums.begin(), m_columnSums.end(), 0);
    const size_t components = size_t(m_components);
    for (int x = 0; x < m_sourceWidth; ++x) {
        const uint32_t first = m_firstWeight[size_t(x)];
        const uint32_t second = uint32_t(m_width) - first;
        uint64_t* sums = &m_columnSums[size_t(m_firstColumn[size_t(x)]) * components];
        for (size_t c = 0; c < components; ++c, ++line) {
            sums[c] += first * *line;
            sums[c + components] += second * *line;
        }
    }

    const int64_t begin = m_sourceLine * m_height;
    const int64_t end = begin + m_height;
    const int64_t boundary = (m_outputLine + 1) * m_sourceHeight;
    ++m_sourceLine;
    addLine(uint64_t(std::min(end, boundary) - begin));
    if (end < boundary)
        return nullptr;
    finishLine();
    if (end > boundary)
        addLine(uint64_t(end - boundary));
    return m_output.data();
}

void AreaScaler::addLine(uint64_t weight)
{
    for (size_t i = 0; i < m_lineSums.size(); ++i)
        m_lineSums[i] += weight * m_columnSums[i];
}

void AreaScaler::finishLine()
{
    const uint64_t area = uint64_t(m_sourceWidth) * uint64_t(m_sourceHeight);
    for (size_t i = 0; i < m_lineSums.size(); ++i) {
        m_output[i] = uint8_t((m_lineSums[i] + area / 2) / area);
        m_lineSums[i] = 0;
    }
    ++m_outputLine;
}
