#include "documentedinks.h"
#include "inkblender.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

InkSet inksOf(const char* letters)
{
    InkSet inks;
    QString error;
    EXPECT_TRUE(InkSet::parse(QString::fromLatin1(letters), inks, error)) << error.toStdString();
    return inks;
}

std::vector<Rgb> blend(const InkSet& inks, const std::vector<uint8_t>& chart)
{
    const InkBlender blender(inks);
    const int width = int(chart.size()) / inks.count();
    std::vector<uint8_t> rgb(size_t(width) * 3);
    blender.blendLine(chart.data(), width, rgb.data());
    std::vector<Rgb> pixels;
    for (int x = 0; x < width; ++x)
        pixels.push_back({rgb[size_t(x) * 3], rgb[size_t(x) * 3 + 1], rgb[size_t(x) * 3 + 2]});
    return pixels;
}

const Rgb kWhite = {255, 255, 255};

Rgb ink(char letter)
{
    return documentedInks().at(letter);
}

TEST(InkBlender, FullCoverageShowsTheInkAndNoneThePaper)
{
    struct BlendCase
    {
        const char* name;
        const char* inks;
        std::vector<uint8_t> chart; // one pixel
        Rgb expected;
    };
    const BlendCase cases[] = {
        {"a target's 100 % is full ink", "CMYK", {254, 0, 0, 0}, ink('C')},
        {"255 is full ink too", "CMYK", {0, 0, 0, 255}, ink('K')},
        {"no ink is the paper", "CMYKcm", {0, 0, 0, 0, 255, 255}, kWhite},
        {"channels beyond the fourth are stored inverted", "CMYKcm", {0, 0, 0, 0, 1, 255}, ink('c')},
        {"the sixth channel likewise", "CMYKcm", {0, 0, 0, 0, 255, 0}, ink('m')},
        {"inks multiply", "CMYK", {254, 0, 254, 0}, {0, 147, 0}},
        {"unknown inks blend like named ones", "xC", {0, 254}, ink('C')},
        {"letters as listed, not by position", "YMCK", {254, 0, 0, 0}, ink('Y')},
    };
    for (const BlendCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(blend(inksOf(c.inks), c.chart).at(0), c.expected);
    }
}

TEST(InkBlender, PartialCoverageLiesBetweenPaperAndInk)
{
    const std::vector<uint8_t> chart = {127, 64, 191, 20};
    const std::vector<Rgb> pixels = blend(inksOf("M"), chart);
    for (size_t i = 0; i < chart.size(); ++i) {
        for (int component = 0; component < 3; ++component) {
            const double coverage = chart[i] / 254.0;
            const double expected = 255.0 * (1.0 - coverage * (1.0 - ink('M')[size_t(component)] / 255.0));
            EXPECT_NEAR(pixels[i][size_t(component)], expected, 0.51) << "byte " << int(chart[i]);
        }
    }
}

TEST(InkBlender, EveryPixelOfALineIsItsOwn)
{
    // Runs of equal pixels are blended once; the pixel after a run is not the run's.
    const std::vector<Rgb> pixels = blend(inksOf("CMYKcm"), {254, 0, 0, 0, 255, 255, 254, 0, 0, 0, 255, 255, 254, 0,
                                                             0, 0, 255, 1, 0, 0, 0, 0, 255, 255});
    EXPECT_EQ(pixels, (std::vector<Rgb>{ink('C'), ink('C'), {0, 90, 171}, kWhite}));
}

TEST(InkBlender, StoredLightShowsAsItIs)
{
    EXPECT_EQ(blend(InkSet::asStoredLight(3), {10, 200, 255, 0, 0, 0}), (std::vector<Rgb>{{10, 200, 255}, {0, 0, 0}}));
    EXPECT_EQ(blend(InkSet::asStoredLight(1), {77, 255}), (std::vector<Rgb>{{77, 77, 77}, kWhite}));
}

TEST(InkBlender, SeparationsShowEachInkAloneInBlack)
{
    const InkBlender blender(inksOf("CMYKc"));
    const std::vector<uint8_t> chart = {254, 0, 127, 255, 0, 0, 254, 0, 0, 255};
    std::vector<uint8_t> greys(chart.size());
    blender.separateLine(chart.data(), 2, greys.data());
    EXPECT_EQ(greys, (std::vector<uint8_t>{0, 255, 127, 0, 0, 255, 0, 255, 255, 255}));
}

} // namespace
