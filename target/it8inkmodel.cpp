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

constexpr ChannelField kFieldsAB[] = {{4, "CMYK_A", nullptr}, {5, "CMYK_B", nullptr}};
constexpr ChannelField kFieldsD[] = {{4, "CMYK_A", nullptr}, {5, "CMYK_B", nullptr}, {6, "CMYK_D", nullptr}};
constexpr ChannelField kFieldsEZ[] = {
    {4, "CMYK_A", nullptr}, {5, "CMYK_B", nullptr}, {6, "CMYK_D", nullptr}, {7, "CMYK_E", nullptr}};
constexpr ChannelField kFieldsR[] = {
    {4, "CMYK_A", nullptr},     {5, "CMYK_B", nullptr},     {6, "CMYK_D", nullptr},     {7, "CMYK_E", nullptr},
    {8, "CMYK_RGB_R", nullptr}, {9, "CMYK_RGB_G", nullptr}, {10, "CMYK_RGB_B", nullptr}};
constexpr ChannelField kFieldsO[] = {
    {4, "CMYK_B", nullptr},     {5, "CMYK_D", nullptr},     {6, "CMYK_E", nullptr},
    {7, "CMYK_RGB_R", nullptr}, {8, "CMYK_RGB_G", nullptr}, {9, "CMYK_RGB_B", nullptr}};
constexpr ChannelField kFieldsL[] = {
    {4, "CMYK_B", nullptr},     {5, "CMYK_D", nullptr},     {6, "CMYK_E", nullptr},
    {7, "CMYK_RGB_R", nullptr}, {8, "CMYK_RGB_G", nullptr}, {9, "CMYK_RGB_B", nullptr},
    {10, "CMYK_GLOSSY", "CMYK_4GRAY"}};
constexpr ChannelField kFieldsQ[] = {
    {4, "CMYK_A", nullptr}, {5, "CMYK_B", nullptr},     {6, "CMYK_D", nullptr},
    {7, "CMYK_E", nullptr}, {8, "CMYK_RGB_O", nullptr}, {9, "CMYK_RGB_G", nullptr}};
constexpr ChannelField kFieldsN[] = {
    {4, "CMYK_A", nullptr}, {5, "CMYK_B", nullptr}, {8, "CMYK_RGB_O", nullptr}, {9, "CMYK_RGB_G", nullptr}};
constexpr ChannelField kFieldsG[] = {
    {6, "CMYK_D", nullptr}, {8, "CMYK_RGB_R", nullptr}, {9, "CMYK_RGB_G", nullptr}, {10, "CMYK_RGB_B", nullptr}};
constexpr ChannelField kFieldsH[] = {{6, "CMYK_D", nullptr}, {8, "CMYK_RGB_R", nullptr}, {10, "CMYK_RGB_B", nullptr}};

template <size_t N>
constexpr FurtherChannels channels(const ChannelField (&fields)[N])
{
    return {fields, static_cast<int>(N)};
}

bool equalsNoCase(const char* a, const char* b)
{
    for (; *a && toUpper(*a) == toUpper(*b); ++a, ++b) {
    }
    return toUpper(*a) == toUpper(*b);
}

} // namespace

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

} // namespace it8
