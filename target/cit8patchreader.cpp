#include "cit8patchreader.h"

#include "cit8table.h"
#include "it8inkmodel.h"

#include <algorithm>
#include <cmath>

namespace {

const char* const kCmykFields[] = {"CMYK_C", "CMYK_M", "CMYK_Y", "CMYK_K"};
const char* const kRgbFields[] = {"RGB_R", "RGB_G", "RGB_B"};
const char* const kLetterField = "ChannellID";
constexpr int kRgbChannels = 3;
constexpr int kMaxFurtherChannels = 7;

// The low 8 bits of the value truncated toward zero, exact for every finite value;
// what no integer can hold (infinity, NaN) gives 0.
unsigned char lowByte(double value)
{
    if (!std::isfinite(value))
        return 0;
    double remainder = std::fmod(std::trunc(value), 256.0);
    if (remainder < 0.0)
        remainder += 256.0;
    return static_cast<unsigned char>(remainder);
}

unsigned char percentByte(double percent)
{
    return lowByte(percent * 2.55);
}

} // namespace

CIt8PatchReader::CIt8PatchReader(const CIt8Table& table, int bytesPerPixel)
    : m_table(table)
    , m_bytesPerPixel(bytesPerPixel)
    , m_modelLetter(it8::inkModelLetter(table.GetPropertyText("INK_MODEL")))
{
    // Standard targets name no ink model and no per-patch letter; they are CMYK.
    if (m_modelLetter == 0 && table.FindField(kLetterField) < 0)
        m_modelLetter = it8::kCmykLetter;
    m_rgb = m_modelLetter == it8::kRgbLetter;
    m_background = m_rgb ? 0xFF : 0x00;
}

bool CIt8PatchReader::Read(const char* patch, unsigned char* pixel) const
{
    std::fill(pixel, pixel + m_bytesPerPixel, m_background);

    double base[4] = {};
    if (!ReadBase(patch, base))
        return false;
    char letter = m_modelLetter;
    if (letter == 0) {
        char letterText[3];
        if (!m_table.GetCell(patch, kLetterField, letterText, sizeof letterText))
            return false;
        letter = letterText[0];
    }

    if (m_rgb) {
        for (int i = 0; i < kRgbChannels; ++i)
            Write(pixel, i, lowByte(base[i]));
    } else {
        for (int i = 0; i < 4; ++i)
            Write(pixel, i, percentByte(base[i]));
    }
    ReadFurther(patch, letter, pixel);
    return true;
}

bool CIt8PatchReader::ReadBase(const char* patch, double (&values)[4]) const
{
    if (m_rgb) {
        for (int i = 0; i < kRgbChannels; ++i) {
            if (!m_table.GetCellNumber(patch, kCmykFields[i], values[i])
                && !m_table.GetCellNumber(patch, kRgbFields[i], values[i]))
                return false;
        }
        return true;
    }
    for (int i = 0; i < 4; ++i) {
        if (!m_table.GetCellNumber(patch, kCmykFields[i], values[i]))
            return false;
    }
    return true;
}

void CIt8PatchReader::ReadFurther(const char* patch, char letter, unsigned char* pixel) const
{
    const it8::FurtherChannels channels = it8::furtherChannelsOf(letter);
    double values[kMaxFurtherChannels] = {};
    for (int i = 0; i < channels.count; ++i) {
        const it8::ChannelField& channel = channels.fields[i];
        if (!m_table.GetCellNumber(patch, channel.field, values[i])
            && !(channel.alternative && m_table.GetCellNumber(patch, channel.alternative, values[i])))
            return;
    }
    for (int i = 0; i < channels.count; ++i)
        Write(pixel, channels.fields[i].byteIndex, percentByte(values[i]));
}

void CIt8PatchReader::Write(unsigned char* pixel, int byteIndex, unsigned char value) const
{
    if (byteIndex < m_bytesPerPixel)
        pixel[byteIndex] = value;
}
