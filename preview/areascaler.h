#ifndef LUMETRA_AREASCALER_H
#define LUMETRA_AREASCALER_H

#include <cstdint>
#include <vector>

// Scales an image of interleaved 8-bit components down, line by line: each output
// pixel is the average of the source area it covers, the parts of source pixels
// at its edges included, so a mark one pixel wide stays visible as a lighter one.
// Holds the sums of one output line, never the image.
class AreaScaler
{
public:
    // Sides up to this size keep every sum within 64 bits.
    static constexpr int MaxSide = 1 << 20;

    // The output is at most as large as the source on each side, and at least 1 x 1;
    // no side above MaxSide.
    AreaScaler(int sourceWidth, int sourceHeight, int width, int height, int components);

    int width() const { return m_width; }
    int height() const { return m_height; }

    // Takes the next source line, top to bottom; gives the output line it
    // completes, or null. Valid until the next call.
    const uint8_t* push(const uint8_t* line);

private:
    void addLine(uint64_t weight);
    void finishLine();

    int m_sourceWidth;
    int m_sourceHeight;
    int m_width;
    int m_height;
    int m_components;
    // Per source column: the output column it begins in and its weight there; the
    // rest of its width (m_width units in all) goes to the next column.
    std::vector<int32_t> m_firstColumn;
    std::vector<uint32_t> m_firstWeight;
    // The source line spread over the output columns, in units of 1 / m_sourceWidth.
    std::vector<uint64_t> m_columnSums;
    // The output line being summed, in units of 1 / (m_sourceWidth x m_sourceHeight).
    std::vector<uint64_t> m_lineSums;
    std::vector<uint8_t> m_output;
    int64_t m_sourceLine = 0;
    int64_t m_outputLine = 0;
};

#endif
