#include "cit8patchreader.h"

#include "cit8table.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

namespace {

const it8::Field kCmykFields[] = {it8::Field::CmykC, it8::Field::CmykM, it8::Field::CmykY, it8::Field::CmykK};
const it8::Field kRgbFields[] = {it8::Field::RgbR, it8::Field::RgbG, it8::Field::RgbB};
constexpr int kRgbChannels = 3;
constexpr int kMaxFurtherChannels = 7;
constexpr int kMaxMultiColourChannels = 32;

std::string multiColourFieldName(int n, int channel)
{
    return std::to_string(n) + "CLR_" + std::to_string(channel);
}

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
    // Standard targets name no ink model and no per-patch letter; they are CMYK,
    // unless they name their channels <n>CLR_i instead.
    if (m_modelLetter == 0 && m_fieldIndex[static_cast<int>(it8::Field::ChannelLetter)] < 0) {
        if (m_fieldIndex[static_cast<int>(it8::Field::CmykC)] < 0)
            FindMultiColourFields();
        if (m_multiColourFields.empty())
            m_modelLetter = it8::kCmykLetter;
    }
    m_rgb = m_modelLetter == it8::kRgbLetter;
    m_background = m_rgb ? 0xFF : 0x00;
}

bool CIt8PatchReader::Read(int set, unsigned char* pixel) const
{
    std::fill(pixel, pixel + m_bytesPerPixel, m_background);
    if (!m_multiColourFields.empty())
        return ReadMultiColour(set, pixel);

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

// The largest n for which every field <n>CLR_1 ... <n>CLR_<n> exists.
void CIt8PatchReader::FindMultiColourFields()
{
    for (int n = kMaxMultiColourChannels; n >= 1 && m_multiColourFields.empty(); --n) {
        std::vector<int> fields;
        for (int i = 1; i <= n; ++i) {
            const int field = m_table.FindField(multiColourFieldName(n, i).c_str());
            if (field < 0)
                break;
            fields.push_back(field);
        }
        if (static_cast<int>(fields.size()) == n)
            m_multiColourFields = std::move(fields);
    }
}

bool CIt8PatchReader::ReadMultiColour(int set, unsigned char* pixel) const
{
    const size_t channels = std::min(m_multiColourFields.size(), static_cast<size_t>(m_bytesPerPixel));
    std::vector<unsigned char> bytes(channels);
    for (size_t i = 0; i < channels; ++i) {
        double value = 0.0;
        if (!m_table.GetCellNumberAt(m_multiColourFields[i], set, value))
            return false;
        bytes[i] = percentByte(value);
    }
    std::copy(bytes.begin(), bytes.end(), pixel);
    return true;
}

int CIt8PatchReader::ChannelCount() const
{
    if (!m_multiColourFields.empty())
        return static_cast<int>(m_multiColourFields.size());
    if (m_rgb)
        return kRgbChannels;
    if (m_modelLetter == 0)
        return 0;
    const it8::FurtherChannels further = it8::furtherChannelsOf(m_modelLetter);
    int channels = 4;
    for (int i = 0; i < further.count; ++i)
        channels = std::max(channels, further.fields[i].byteIndex + 1);
    return channels;
}

std::string CIt8PatchReader::InkLetters() const
{
    if (!m_multiColourFields.empty())
        return std::string(m_multiColourFields.size(), it8::kUnknownInk);
    if (m_rgb)
        return std::string();
    char letter = m_modelLetter;
    char letterText[3];
    if (letter == 0 && m_table.GetCellAt(m_fieldIndex[static_cast<int>(it8::Field::ChannelLetter)], 0, letterText,
                                         sizeof letterText))
        letter = letterText[0];
    std::string inks;
    for (const it8::Field field : kCmykFields)
        inks += it8::inkLetterOf(field);
    const it8::FurtherChannels further = it8::furtherChannelsOf(letter);
    for (int i = 0; i < further.count; ++i) {
        const size_t byteIndex = static_cast<size_t>(further.fields[i].byteIndex);
        if (inks.size() <= byteIndex)
            inks.resize(byteIndex + 1, it8::kUnknownInk);
        inks[byteIndex] = it8::inkLetterOf(further.fields[i].field);
    }
    return inks;
}

std::string CIt8PatchReader::RequiredFields() const
{
    std::vector<std::string> names;
    if (!m_multiColourFields.empty()) {
        const int n = static_cast<int>(m_multiColourFields.size());
        for (int i = 1; i <= std::min(n, m_bytesPerPixel); ++i)
            names.push_back(multiColourFieldName(n, i));
    } else {
        for (int i = 0; i < (m_rgb ? kRgbChannels : 4); ++i) {
            names.push_back(it8::fieldName(kCmykFields[i]));
            if (m_rgb)
                names.back() += std::string(" or ") + it8::fieldName(kRgbFields[i]);
        }
        if (m_modelLetter == 0)
            names.push_back(it8::fieldName(it8::Field::ChannelLetter));
    }
    std::string text;
    for (size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    return text;
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
