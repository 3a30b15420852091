#include "inkset.h"

#include <algorithm>
#include <iterator>

namespace {

struct NamedInk
{
    char letter;
    InkColour colour;
};

// The colours the README documents; full coverage shows exactly these.
constexpr NamedInk kNamedInks[] = {
    {'C', {0, 158, 224}},   {'M', {226, 0, 122}},   {'Y', {255, 237, 0}},   {'K', {35, 31, 32}},
    {'c', {125, 205, 240}}, {'m', {240, 145, 195}}, {'k', {135, 135, 135}}, {'n', {190, 190, 190}},
    {'O', {245, 130, 30}},  {'G', {0, 160, 80}},    {'V', {110, 60, 160}},  {'R', {225, 35, 40}},
    {'B', {40, 60, 160}},
};

constexpr char kUnknownLetter = 'x';

// Earthy and muted, so that an unknown ink is not taken for a named one; the
// unknown inks of a set take them in turn.
constexpr InkColour kUnknownPalette[] = {
    {0, 128, 128}, {150, 85, 30}, {128, 128, 0}, {120, 90, 130},
    {70, 90, 120}, {190, 70, 30}, {70, 110, 50}, {130, 40, 90},
};

// The ink models' channel order (a CMYKcmknRGB target fills every one).
constexpr char kModelOrder[] = "CMYKcmknRGB";

// Light stored in one channel (grey) or three (red, green, blue): the light of a
// channel is the complement of an ideal ink's coverage.
constexpr NamedInk kGreyLight = {'K', {0, 0, 0}};
constexpr NamedInk kRgbLight[] = {{'R', {0, 255, 255}}, {'G', {255, 0, 255}}, {'B', {255, 255, 0}}};

} // namespace

bool InkSet::parse(const QString& list, InkSet& inks, QString& error)
{
    InkSet parsed;
    for (const QChar character : list) {
        if (character == QLatin1Char(' ') || character == QLatin1Char(','))
            continue;
        if (character.unicode() > 0x7f || !parsed.append(character.toLatin1())) {
            error = QStringLiteral("'%1' names no ink; the inks are %2").arg(character, knownLetters());
            return false;
        }
    }
    inks = parsed;
    return true;
}

InkSet InkSet::forChannels(int channels)
{
    InkSet inks;
    for (int channel = 0; channel < channels; ++channel)
        inks.append(channel < int(sizeof kModelOrder) - 1 ? kModelOrder[channel] : kUnknownLetter);
    return inks;
}

InkSet InkSet::asStoredLight(int channels)
{
    InkSet inks;
    for (int channel = 0; channel < channels; ++channel) {
        const NamedInk& light = channels == 3 ? kRgbLight[channel] : kGreyLight;
        inks.m_inks.append(Ink{light.letter, light.colour, true});
    }
    return inks;
}

QString InkSet::letters() const
{
    QString text;
    for (const Ink& ink : m_inks)
        text += QLatin1Char(ink.letter);
    return text;
}

QString InkSet::knownLetters()
{
    QString text;
    for (const NamedInk& ink : kNamedInks)
        text += QLatin1Char(ink.letter) + QStringLiteral(" ");
    return text + QLatin1Char(kUnknownLetter);
}

bool InkSet::append(char letter)
{
    if (letter == kUnknownLetter) {
        const int palette = int(std::size(kUnknownPalette));
        m_inks.append(Ink{letter, kUnknownPalette[m_unknownInks++ % palette], false});
        return true;
    }
    const auto named = std::find_if(std::begin(kNamedInks), std::end(kNamedInks),
                                    [letter](const NamedInk& ink) { return ink.letter == letter; });
    if (named == std::end(kNamedInks))
        return false;
    m_inks.append(Ink{letter, named->colour, false});
    return true;
}
