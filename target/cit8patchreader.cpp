#include "cit8patchreader.h"

#include "cit8table.h"

#include <algorithm>
#include <cmath>

namespace {

const it8::Field kCmykFields[] = {it8::Field::CmykC, it8::Field::CmykM, it8::Field::CmykY, it8::Field::CmykK};
const it8::Field kRgbFields[] = {it8::Field::RgbR, it8::Field::RgbG, it8::Field::RgbB};
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
    for (int f = 0; f < it8::kFieldCount; ++f)
        m_fieldIndex[f] = table.FindField(it8::fieldName(static_cast<it8::Field>(f)));
    // Standard targets name no ink model and no per-patch letter; they are CMYK.
    if (m_modelLetter == 0 && m_fieldIndex[static_cast<int>(it8::Field::ChannelLetter)] < 0)
        m_modelLetter = it8::kCmykLetter;
    m_rgb = m_modelLetter == it8::kRgbLetter;
    m_background = m_rgb ? 0xFF : 0x00;
}

bool CIt8PatchReader::Read(const char* patch, unsigned char* pixel) const
{
    std::fill(pixel, pixel + m_bytesPerPixel, m_background);

    const int set = m_table.FindPatchSet(patch);
    double base[4] = {};
    if (!ReadBase(set, base))
        return false;
    char letter = m_modelLetter;
    if (letter == 0) {
        char letterText[3];
        if (!m_table.GetCellAt(m_fieldIndex[static_cast<int>(it8::Field::ChannelLetter)], set, letterText,
                               sizeof letterText))
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
    ReadFurther(set, letter, pixel);
    return true;
}

bool CIt8PatchReader::ReadValue(it8::Field field, int set, double& value) const
{
    return field != it8::Field::None && m_table.GetCellNumberAt(m_fieldIndex[static_cast<int>(field)], set, value);
}

bool CIt8PatchReader::ReadBase(int set, double (&values)[4]) const
{
    if (m_rgb) {
        for (int i = 0; i < kRgbChannels; ++i) {
            if (!ReadValue(kCmykFields[i], set, values[i]) && !ReadValue(kRgbFields[i], set, values[i]))
                return false;
        }
        return true;
    }
    for (int i = 0; i < 4; ++i) {
        if (!ReadValue(kCmykFields[i], set, values[i]))
            return false;
    }
    return true;
}

void CIt8PatchReader::ReadFurther(int set, char letter, unsigned char* pixel) const
{
    const it8::FurtherChannels channels = it8::furtherChannelsOf(letter);
    double values[kMaxFurtherChannels] = {};
    for (int i = 0; i < channels.count; ++i) {
        const it8::ChannelField& channel = channels.fields[i];
        if (!ReadValue(channel.field, set, values[i]) && !ReadValue(channel.alternative, set, values[i]))
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
