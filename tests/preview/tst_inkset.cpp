#include "documentedinks.h"
#include "inkset.h"

#include <gtest/gtest.h>

#include <set>

namespace {

Rgb rgbOf(const InkSet& inks, int channel)
{
    const InkColour colour = inks.colour(channel);
    return {colour.red, colour.green, colour.blue};
}

TEST(InkSet, ReadsOneLetterPerChannelAndRefusesOthers)
{
    struct ListCase
    {
        const char* list;
        const char* letters; // null: refused
    };
    const ListCase cases[] = {
        {"CMYKcm", "CMYKcm"},
        {"C,M, Y K", "CMYK"},
        {"OGVRBnkx", "OGVRBnkx"},
        {"", ""},
        {"CMYQ", nullptr},
        {"cmy\xc3\xa9", nullptr},
        {"C-M", nullptr},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.list);
        InkSet inks;
        QString error;
        const bool read = InkSet::parse(QString::fromUtf8(c.list), inks, error);
        EXPECT_EQ(read, c.letters != nullptr) << error.toStdString();
        if (c.letters) {
            EXPECT_EQ(inks.letters(), QString::fromLatin1(c.letters));
        } else {
            EXPECT_TRUE(error.contains(QStringLiteral("names no ink"))) << error.toStdString();
        }
    }
}

TEST(InkSet, NamedInksHaveTheirDocumentedColours)
{
    QString letters;
    for (const auto& ink : documentedInks())
        letters += QLatin1Char(ink.first);
    InkSet inks;
    QString error;
    ASSERT_TRUE(InkSet::parse(letters, inks, error));
    for (int channel = 0; channel < inks.count(); ++channel) {
        SCOPED_TRACE(inks.letter(channel));
        EXPECT_EQ(rgbOf(inks, channel), documentedInks().at(inks.letter(channel)));
        EXPECT_FALSE(inks.isLight(channel));
    }
}

TEST(InkSet, UnknownInksTakeDistinctColoursSetApartFromTheNamedOnes)
{
    InkSet inks;
    QString error;
    ASSERT_TRUE(InkSet::parse(QStringLiteral("xxxxxxxx"), inks, error));
    std::set<Rgb> colours;
    for (int channel = 0; channel < inks.count(); ++channel) {
        colours.insert(rgbOf(inks, channel));
        for (const auto& named : documentedInks())
            EXPECT_NE(rgbOf(inks, channel), named.second) << "unknown ink " << channel << " looks like " << named.first;
    }
    EXPECT_EQ(colours.size(), 8u);
}

TEST(InkSet, DefaultsFollowTheInkModelsOrder)
{
    const std::pair<int, const char*> cases[] = {
        {1, "C"},           {4, "CMYK"},         {6, "CMYKcm"},        {7, "CMYKcmk"},
        {8, "CMYKcmkn"},    {11, "CMYKcmknRGB"}, {13, "CMYKcmknRGBxx"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(InkSet::forChannels(c.first).letters(), QString::fromLatin1(c.second)) << c.first << " channels";
}

} // namespace
