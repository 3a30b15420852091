// Strips stored with the same bytes as the strip read before them are compared,
// not decoded again: what ReadLine gives must not change by that.
#include "ctiffimg.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <QFile>
#include <QTemporaryDir>

#include <random>
#include <vector>

namespace {

using Line = std::vector<unsigned char>;

constexpr unsigned long kWidth = 40;
constexpr unsigned long kSamples = 6;

Line lineOf(unsigned char seed)
{
    Line line(kWidth * kSamples);
    for (size_t i = 0; i < line.size(); ++i)
        line[i] = static_cast<unsigned char>(seed * 17 + i % 13);
    return line;
}

bool writeChart(const QString& path, const std::vector<Line>& lines, bool compress)
{
    CTiffImg chart;
    if (!chart.Create(QFile::encodeName(path).constData(), kWidth, lines.size(), 8, CTiffImg::Subtractive, kSamples,
                      180, 180, compress))
        return false;
    for (Line line : lines) {
        if (!chart.WriteLine(line.data()))
            return false;
    }
    return chart.Close();
}

// Every line as ReadLine gives it, up to the first it fails to give.
std::vector<Line> readChart(const QString& path)
{
    CTiffImg chart;
    std::vector<Line> lines;
    Line line;
    if (chart.Open(QFile::encodeName(path).constData()))
        line.resize(chart.GetBytesPerLine());
    while (!line.empty() && chart.ReadLine(line.data()))
        lines.push_back(line);
    return lines;
}

TEST(RepeatedStrips, ReadBackAsWritten)
{
    // Noise takes more bytes in LZW than it has: such strips are decoded every time.
    Line noise(kWidth * kSamples);
    std::mt19937 random(5);
    for (unsigned char& byte : noise)
        byte = static_cast<unsigned char>(random());
    const Line a = lineOf(1), b = lineOf(2), c = lineOf(3);
    const std::vector<Line> lines = {a, a, b, a, b, b, b, c, a, noise, noise, a, noise};
    for (const bool compress : {true, false}) {
        SCOPED_TRACE(compress ? "LZW" : "stored");
        QTemporaryDir work;
        const QString path = work.filePath(QStringLiteral("chart.tif"));
        ASSERT_TRUE(writeChart(path, lines, compress));
        EXPECT_EQ(readChart(path), lines);
    }
}

} // namespace
