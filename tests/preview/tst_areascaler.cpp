#include "areascaler.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <vector>

namespace {

using Image = std::vector<std::vector<uint8_t>>;

// Pushes every source line; fails the test when a push gives more than one line.
Image scale(const Image& source, int width, int height, int components = 1)
{
    const int sourceWidth = int(source.at(0).size()) / components;
    AreaScaler scaler(sourceWidth, int(source.size()), width, height, components);
    Image out;
    for (const std::vector<uint8_t>& line : source) {
        if (const uint8_t* scaled = scaler.push(line.data()))
            out.emplace_back(scaled, scaled + scaler.width() * components);
    }
    return out;
}

TEST(AreaScaler, AveragesTheAreaEachOutputPixelCovers)
{
    struct ScaleCase
    {
        const char* name;
        Image source;
        int width;
        int height;
        Image expected;
    };
    const ScaleCase cases[] = {
        {"same size", {{1, 2}, {3, 4}}, 2, 2, {{1, 2}, {3, 4}}},
        {"halves, rounded", {{0, 255, 255, 255}}, 2, 1, {{128, 255}}},
        // Each source pixel is 2/3 of an output pixel: the middle one is split.
        {"thirds", {{0, 90, 180}}, 2, 1, {{30, 150}}},
        {"lines too", {{0}, {90}, {180}}, 1, 2, {{30}, {150}}},
        {"both sides", {{0, 0, 255}, {0, 0, 255}, {255, 255, 255}}, 2, 2, {{0, 170}, {170, 227}}},
        // A mark one pixel wide stays visible, lighter.
        {"thin line", {{255, 255, 255, 255, 0, 255, 255, 255, 255, 255}}, 3, 1, {{255, 179, 255}}},
        {"never larger", {{7, 9}}, 5, 4, {{7, 9}}},
    };
    for (const ScaleCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(scale(c.source, c.width, c.height), c.expected);
    }
}

TEST(AreaScaler, KeepsComponentsApartAndTheAverageOfTheImage)
{
    std::mt19937 random(7);
    Image source(97, std::vector<uint8_t>(61 * 3));
    long long sums[3] = {};
    for (auto& line : source) {
        for (size_t i = 0; i < line.size(); ++i) {
            line[i] = uint8_t(i % 3 == 1 ? 200 : random() % 256);
            sums[i % 3] += line[i];
        }
    }
    const Image out = scale(source, 13, 29, 3);
    ASSERT_EQ(out.size(), 29u);
    double outSums[3] = {};
    for (const auto& line : out) {
        ASSERT_EQ(line.size(), 13u * 3);
        for (size_t i = 0; i < line.size(); ++i) {
            outSums[i % 3] += line[i];
            if (i % 3 == 1) {
                EXPECT_EQ(line[i], 200);
            }
        }
    }
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(outSums[c] / (13 * 29), double(sums[c]) / (61 * 97), 0.5) << "component " << c;
}

} // namespace
