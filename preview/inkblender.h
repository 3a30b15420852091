#ifndef LUMETRA_INKBLENDER_H
#define LUMETRA_INKBLENDER_H

#include "inkset.h"

#include <cstdint>
#include <vector>

// Turns the lines of a chart into sRGB. Each channel's byte is a coverage: a
// chart stores the channels beyond the fourth inverted, and the byte 254 is full
// ink, as a target's 100 % becomes 254 (255 is full too). Every ink multiplies
// the white of the paper by 1 - coverage x (1 - its colour), per sRGB component.
// Per-channel tables and 15-bit fixed-point products keep a pixel to integer
// multiplies; a channel that stores light shows it as it is.
class InkBlender
{
public:
    explicit InkBlender(const InkSet& inks);

    // Channels beyond the fourth are stored inverted in a chart.
    static bool isStoredInverted(int channel) { return channel >= 4; }

    int channels() const { return m_channels; }
    // width pixels of channels() bytes into width pixels of red, green and blue.
    void blendLine(const uint8_t* chart, int width, uint8_t* rgb) const;
    // width pixels of channels() bytes into as many grey levels per pixel, each
    // channel printed alone in black: 255 without ink, 0 at full coverage.
    void separateLine(const uint8_t* chart, int width, uint8_t* greys) const;

private:
    // What one byte of a channel makes of each component, 1 << 15 for no change.
    struct Factor
    {
        uint16_t red;
        uint16_t green;
        uint16_t blue;
    };

    void blendPixel(const uint8_t* pixel, uint8_t* rgb) const;

    int m_channels;
    std::vector<Factor> m_factors; // 256 per channel
    std::vector<uint8_t> m_greys;  // 256 per channel
};

#endif
