#include "inkblender.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kShift = 15;
constexpr uint32_t kOne = 1u << kShift;
constexpr uint32_t kHalf = kOne / 2;
// A target's 100 % is written as 254.
constexpr int kFullInk = 254;

uint16_t factor(uint32_t coverage, uint32_t fullCoverage, uint8_t inkComponent)
{
    // 1 - coverage / full x (1 - ink / 255), rounded to the fixed point.
    const uint64_t absorbed = uint64_t(coverage) * (255u - inkComponent) * kOne;
    const uint64_t scale = uint64_t(fullCoverage) * 255u;
    return uint16_t(kOne - (absorbed + scale / 2) / scale);
}

} // namespace

InkBlender::InkBlender(const InkSet& inks)
    : m_channels(inks.count())
    , m_factors(size_t(m_channels) * 256)
    , m_greys(size_t(m_channels) * 256)
{
    for (int channel = 0; channel < m_channels; ++channel) {
        const InkColour ink = inks.colour(channel);
        for (uint32_t stored = 0; stored < 256; ++stored) {
            uint32_t coverage = isStoredInverted(channel) ? 255 - stored : stored;
            uint32_t full = kFullInk;
            if (inks.isLight(channel)) {
                coverage = 255 - coverage;
                full = 255;
            }
            coverage = std::min(coverage, full);
            const size_t at = size_t(channel) * 256 + stored;
            m_factors[at] = {factor(coverage, full, ink.red), factor(coverage, full, ink.green),
                             factor(coverage, full, ink.blue)};
            m_greys[at] = uint8_t(255 - (coverage * 255 + full / 2) / full);
        }
    }
}

void InkBlender::blendLine(const uint8_t* chart, int width, uint8_t* rgb) const
{
    const size_t channels = size_t(m_channels);
    const uint8_t* previous = nullptr;
    for (int x = 0; x < width; ++x, chart += channels, rgb += 3) {
        // Patches are runs of equal pixels: a repeat costs a comparison.
        if (previous && std::memcmp(chart, previous, channels) == 0)
            std::memcpy(rgb, rgb - 3, 3);
        else
            blendPixel(chart, rgb);
        previous = chart;
    }
}

void InkBlender::blendPixel(const uint8_t* pixel, uint8_t* rgb) const
{
    uint32_t red = kOne, green = kOne, blue = kOne;
    const Factor* table = m_factors.data();
    for (int channel = 0; channel < m_channels; ++channel, table += 256) {
        const Factor& f = table[pixel[channel]];
        red = (red * f.red + kHalf) >> kShift;
        green = (green * f.green + kHalf) >> kShift;
        blue = (blue * f.blue + kHalf) >> kShift;
    }
    rgb[0] = uint8_t((red * 255 + kHalf) >> kShift);
    rgb[1] = uint8_t((green * 255 + kHalf) >> kShift);
    rgb[2] = uint8_t((blue * 255 + kHalf) >> kShift);
}

void InkBlender::separateLine(const uint8_t* chart, int width, uint8_t* greys) const
{
    for (int x = 0; x < width; ++x) {
        const uint8_t* table = m_greys.data();
        for (int channel = 0; channel < m_channels; ++channel, table += 256)
            *greys++ = table[*chart++];
    }
}
