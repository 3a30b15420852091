#include "it8inkmodel.h"

#include "it8chars.h"

namespace it8 {

namespace {

struct InkModel
{
    const char* name;
    char letter;
};

constexpr InkModel kInkModels[] = {
    {"CMYK", kCmykLetter},  {"RGB", kRgbLetter},      {"CMYKcm", 'B'},       {"CMYKcmk", 'D'},
    {"CMYKcmkn", 'E'},      {"CMYKcmknRGB", 'R'},     {"CMYKmknRGB", 'O'},   {"CMYKmknRGBG", 'L'},
    {"CMYKmknRGBM", 'L'},   {"CMYKcmknOG", 'Q'},      {"CMYKcmOG", 'N'},     {"CMYKkRGB", 'G'},
    {"CMYKRB", 'H'},
};

// In the order of the Field enumeration; the letter field is spelt with a double l.
constexpr const char* kFieldNames[kFieldCount] = {
    "CMYK_C",     "CMYK_M",     "CMYK_Y",     "CMYK_K",     "RGB_R",       "RGB_G",
    "RGB_B",      "CMYK_A",     "CMYK_B",     "CMYK_D",     "CMYK_E",      "CMYK_RGB_R",
    "CMYK_RGB_G", "CMYK_RGB_B", "CMYK_RGB_O", "CMYK_GLOSSY", "CMYK_4GRAY", "ChannellID"};

constexpr Field N = Field::None;
constexpr ChannelField kFieldsAB[] = {{4, Field::CmykA, N}, {5, Field::CmykB, N}};
constexpr ChannelField kFieldsD[] = {{4, Field::CmykA, N}, {5, Field::CmykB, N}, {6, Field::CmykD, N}};
constexpr ChannelField kFieldsEZ[] = {
    {4, Field::CmykA, N}, {5, Field::CmykB, N}, {6, Field::CmykD, N}, {7, Field::CmykE, N}};
constexpr ChannelField kFieldsR[] = {
    {4, Field::CmykA, N},    {5, Field::CmykB, N},    {6, Field::CmykD, N},     {7, Field::CmykE, N},
    {8, Field::CmykRgbR, N}, {9, Field::CmykRgbG, N}, {10, Field::CmykRgbB, N}};
constexpr ChannelField kFieldsO[] = {
    {4, Field::CmykB, N},    {5, Field::CmykD, N},    {6, Field::CmykE, N},
    {7, Field::CmykRgbR, N}, {8, Field::CmykRgbG, N}, {9, Field::CmykRgbB, N}};
constexpr ChannelField kFieldsL[] = {
    {4, Field::CmykB, N},    {5, Field::CmykD, N},    {6, Field::CmykE, N},
    {7, Field::CmykRgbR, N}, {8, Field::CmykRgbG, N}, {9, Field::CmykRgbB, N},
    {10, Field::CmykGlossy, Field::Cmyk4Gray}};
constexpr ChannelField kFieldsQ[] = {
    {4, Field::CmykA, N}, {5, Field::CmykB, N},    {6, Field::CmykD, N},
    {7, Field::CmykE, N}, {8, Field::CmykRgbO, N}, {9, Field::CmykRgbG, N}};
constexpr ChannelField kFieldsN[] = {
    {4, Field::CmykA, N}, {5, Field::CmykB, N}, {8, Field::CmykRgbO, N}, {9, Field::CmykRgbG, N}};
constexpr ChannelField kFieldsG[] = {
    {6, Field::CmykD, N}, {8, Field::CmykRgbR, N}, {9, Field::CmykRgbG, N}, {10, Field::CmykRgbB, N}};
constexpr ChannelField kFieldsH[] = {{6, Field::CmykD, N}, {8, Field::CmykRgbR, N}, {10, Field::CmykRgbB, N}};

template <int Count>
constexpr FurtherChannels channels(const ChannelField (&fields)[Count])
{
    return {fields, Count};
}

bool equalsNoCase(const char* a, const char* b)
{
    for (; *a && toUpper(*a) == toUpper(*b); ++a, ++b) {
    }
    return toUpper(*a) == toUpper(*b);
}

} // namespace

const char* fieldName(Field field)
{
    return field == Field::None ? "" : kFieldNames[static_cast<int>(field)];
}

char inkModelLetter(const char* inkModel)
{
    if (!inkModel)
        return 0;
    for (const InkModel& model : kInkModels) {
        if (equalsNoCase(inkModel, model.name))
            return model.letter;
    }
    return 0;
}

FurtherChannels furtherChannelsOf(char letter)
{
    switch (letter) {
    case 'A':
    case 'B': return channels(kFieldsAB);
    case 'D': return channels(kFieldsD);
    case 'E':
    case 'Z': return channels(kFieldsEZ);
    case 'R': return channels(kFieldsR);
    case 'O': return channels(kFieldsO);
    case 'L': return channels(kFieldsL);
    case 'Q': return channels(kFieldsQ);
    case 'N': return channels(kFieldsN);
    case 'G': return channels(kFieldsG);
    case 'H': return channels(kFieldsH);
    default: return {nullptr, 0};
    }
}

char inkLetterOf(Field field)
{
    switch (field) {
    case Field::CmykC: return 'C';
    case Field::CmykM: return 'M';
    case Field::CmykY: return 'Y';
    case Field::CmykK: return 'K';
    case Field::CmykA: return 'c';
    case Field::CmykB: return 'm';
    case Field::CmykD: return 'k';
    case Field::CmykE: return 'n';
    case Field::CmykRgbR: return 'R';
    case Field::CmykRgbG: return 'G';
    case Field::CmykRgbB: return 'B';
    case Field::CmykRgbO: return 'O';
    default: return kUnknownInk;
    }
}

} // namespace it8
