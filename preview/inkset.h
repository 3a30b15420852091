#ifndef LUMETRA_INKSET_H
#define LUMETRA_INKSET_H

#include <QString>
#include <QVector>

#include <cstdint>

// An sRGB colour, 8 bits per component.
struct InkColour
{
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

// The ink of each channel of a chart and the colour it prints at full coverage.
// Inks are named by letters: C M Y K; c m k n (light cyan, light magenta, light
// black, light light black); O G V R B (orange, green, violet, red, blue); and x
// for an ink without a name, which takes the next colour of a palette of its own,
// set apart from the named inks. The channels of an additive file can instead be
// shown as the light they store (grey or RGB).
class InkSet
{
public:
    // The inks of a list of letters, one per channel; blanks and commas between
    // them are skipped. False, with the reason, for a letter that names no ink.
    static bool parse(const QString& list, InkSet& inks, QString& error);
    // The ink models' order for a chart of that many channels: C M Y K c m k n R G
    // B, then unknown inks.
    static InkSet forChannels(int channels);
    // Each channel shown as the light it stores: one channel as grey, three as RGB.
    static InkSet asStoredLight(int channels);

    int count() const { return m_inks.size(); }
    char letter(int channel) const { return m_inks.at(channel).letter; }
    InkColour colour(int channel) const { return m_inks.at(channel).colour; }
    // Whether the channel stores light (255 white) rather than ink coverage.
    bool isLight(int channel) const { return m_inks.at(channel).light; }
    QString letters() const;

    // The letters that name inks, in the order of the documentation.
    static QString knownLetters();

private:
    struct Ink
    {
        char letter;
        InkColour colour;
        bool light;
    };

    // False for a letter that names no ink.
    bool append(char letter);

    QVector<Ink> m_inks;
    int m_unknownInks = 0;
};

#endif
