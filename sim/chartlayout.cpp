#include "chartlayout.h"

#include <cstring>

namespace {

int32_t channelCodeFor(int32_t channels)
{
    return channels < 4 ? 2 : channels == 4 ? 3 : 255;
}

bool inRange(int64_t value, int64_t minimum, int64_t maximum)
{
    return value >= minimum && value <= maximum;
}

} // namespace

bool ChartLayout::fromRecord(const ChartRecord& record, std::string& error)
{
    const int64_t resX = record.mResolutionX;
    const int64_t resY = record.mResolutionY;
    if (!inRange(record.mChannelCount, 1, MaxChannels))
        error = "channel count outside 1 to " + std::to_string(MaxChannels);
    else if (record.mChannelCode != channelCodeFor(record.mChannelCount))
        error = "channel code does not match the channel count";
    else if (!inRange(resX, 1, MaxResolution) || !inRange(resY, 1, MaxResolution))
        error = "resolution outside 1 to " + std::to_string(MaxResolution) + " dpi";
    else if (!inRange(record.mPatchCount, 1, MaxPatches) || record.mPatchesPerRow < 1)
        error = "no patches, or no patches per row";
    else if (!record.mColorTable)
        error = "no colour table";
    else if (record.mChartType != 1 && record.mChartType != 2)
        error = "chart type neither 1 nor 2";
    if (!error.empty())
        return false;

    const int64_t width = pixels(record.mChartWidth, resX);
    const int64_t height = pixels(record.mChartHeight, resY);
    const int64_t patchWidth = pixels(record.mPatchWidth, resX);
    const int64_t patchHeight = pixels(record.mPatchHeight, resY);
    const int64_t perRow = record.mPatchesPerRow;
    const int64_t rows = (int64_t(record.mPatchCount) + perRow - 1) / perRow;
    if (!inRange(width, 1, MaxPixels) || !inRange(height, 1, MaxPixels))
        error = "chart size outside 1 to " + std::to_string(MaxPixels) + " pixels";
    else if (patchWidth < 1 || patchHeight < 1)
        error = "patch smaller than a pixel";
    else if (perRow > width / patchWidth || rows > height / patchHeight)
        error = "patches do not fit on the chart";
    if (!error.empty())
        return false;

    m_width = int32_t(width);
    m_height = int32_t(height);
    m_channels = record.mChannelCount;
    m_patchWidth = patchWidth;
    m_patchHeight = patchHeight;
    m_patchesPerRow = perRow;
    m_rows = rows;
    m_patchCount = record.mPatchCount;
    m_left = (width - perRow * patchWidth) / 2;
    m_top = (height - rows * patchHeight) / 2;
    m_background.assign(record.mBackground, record.mBackground + m_channels);
    m_colorTable = record.mColorTable;
    return true;
}

void ChartLayout::renderLine(int32_t y, uint8_t* out) const
{
    const size_t pixelBytes = size_t(m_channels);
    const int64_t row = y >= m_top ? (y - m_top) / m_patchHeight : -1;
    const bool inGrid = row >= 0 && row < m_rows;
    for (int64_t x = 0; x < m_width; ++x) {
        const uint8_t* pixel = m_background.data();
        if (inGrid && x >= m_left && x < m_left + m_patchesPerRow * m_patchWidth) {
            // Cells past the patch count (padding of the last row) stay background.
            const int64_t patch = row * m_patchesPerRow + (x - m_left) / m_patchWidth;
            if (patch < m_patchCount)
                pixel = m_colorTable + size_t(patch) * pixelBytes;
        }
        std::memcpy(out + size_t(x) * pixelBytes, pixel, pixelBytes);
    }
}
