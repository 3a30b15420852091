#ifndef LUMETRA_SIM_CHARTLAYOUT_H
#define LUMETRA_SIM_CHARTLAYOUT_H

#include "accelrecords.h"

#include <cstdint>
#include <string>
#include <vector>

// Where the patches of a chart lie, in pixels, as the simulated SDK lays
// them out from a ChartRecord: one block per colour-table pixel, rows of
// patches in the order of the colour table, the grid centred on a background.
class ChartLayout
{
public:
    static constexpr int32_t MaxPixels = 1 << 20;      // per side
    static constexpr int32_t MaxChannels = 32;         // the background field's size
    static constexpr int32_t MaxResolution = 9600;
    static constexpr int32_t MaxPatches = 1000000;

    // Hundredths of a millimetre at dots per inch, truncated.
    static int64_t pixels(int64_t hundredths, int64_t dotsPerInch) { return hundredths * dotsPerInch / 2540; }

    // False with a reason when the record cannot be laid out.
    bool fromRecord(const ChartRecord& record, std::string& error);

    int32_t width() const { return m_width; }
    int32_t height() const { return m_height; }
    int32_t channels() const { return m_channels; }
    int32_t bytesPerLine() const { return m_width * m_channels; }

    // Writes line y (0 = top) into out, bytesPerLine() bytes.
    void renderLine(int32_t y, uint8_t* out) const;

private:
    int32_t m_width = 0;
    int32_t m_height = 0;
    int32_t m_channels = 0;
    int64_t m_patchWidth = 0;
    int64_t m_patchHeight = 0;
    int64_t m_patchesPerRow = 0;
    int64_t m_rows = 0;
    int64_t m_patchCount = 0;
    int64_t m_left = 0;
    int64_t m_top = 0;
    std::vector<uint8_t> m_background;
    const uint8_t* m_colorTable = nullptr;
};

#endif
