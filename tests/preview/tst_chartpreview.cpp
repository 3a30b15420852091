// Charts made through the simulator, previewed by lumetra -preview and ChartPreview.
#include "chartmaker.h"
#include "chartpreview.h"
#include "ctiffimg.h"
#include "documentedinks.h"
#include "separationsheet.h"

#include <gtest/gtest.h>

#include <QFile>

#include <set>
#include <vector>

namespace {

// Set k of 2 x channels sets inks channel k in the first row of patches and
// channel 2 x channels - 1 - k in the second, at 100 %.
QList<QList<int>> pureInkRows(int channels)
{
    QList<QList<int>> rows;
    for (int set = 0; set < 2 * channels; ++set) {
        QList<int> values;
        for (int channel = 0; channel < channels; ++channel)
            values << (channel == (set < channels ? set : 2 * channels - 1 - set) ? 100 : 0);
        rows << values;
    }
    return rows;
}

// The channel inked at patch (column, row) of the picture: the first row of sets
// is the bottom row of the chart.
int inkedChannel(int channels, int column, int pictureRow)
{
    return pictureRow == 1 ? column : channels - 1 - column;
}

struct PureInkCase
{
    const char* name;
    const char* inkModel;
    QStringList fields;
    const char* inks;
};

class PureInkChart : public ::testing::TestWithParam<PureInkCase>
{
};

TEST_P(PureInkChart, PreviewsEachPatchInItsDocumentedInkColour)
{
    const PureInkCase& c = GetParam();
    const int channels = c.fields.size();
    ChartMaker maker;
    ASSERT_TRUE(maker.isValid());
    const QString png = maker.filePath(QStringLiteral("chart.png"));
    const QString target = maker.writeTarget(QString::fromLatin1(c.inkModel), c.fields, pureInkRows(channels));
    ASSERT_EQ(maker.run(target, channels, 2 * channels, channels, {"-preview", png}), 0) << maker.log().join(QLatin1Char(10)).toStdString();
    EXPECT_TRUE(maker.log().contains("Preview written to " + png)) << maker.log().join(QLatin1Char(10)).toStdString();
    EXPECT_EQ(maker.log().last(), QStringLiteral("finished"));

    CTiffImg chart;
    ASSERT_TRUE(chart.Open(QFile::encodeName(maker.chart()).constData()));
    PngPicture picture;
    ASSERT_TRUE(picture.read(png));
    EXPECT_EQ(picture.width, int(chart.GetWidth()));
    EXPECT_EQ(picture.height, int(chart.GetHeight()));

    const PatchGrid grid(picture, channels, 2);
    ASSERT_FALSE(grid.isEmpty());
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < channels; ++column) {
            // A channel the ink model does not fill stays blank.
            const char ink = c.inks[inkedChannel(channels, column, row)];
            const Rgb expected = ink == 'x' ? Rgb{255, 255, 255} : documentedInks().at(ink);
            EXPECT_EQ(picture.at(grid.centreX(column), grid.centreY(row)), expected)
                << "patch " << column << "," << row << " of ink " << ink;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Channels, PureInkChart,
    ::testing::Values(PureInkCase{"fourInks", "CMYK", {"CMYK_C", "CMYK_M", "CMYK_Y", "CMYK_K"}, "CMYK"},
                      PureInkCase{"sixInks", "CMYKcm", {"CMYK_C", "CMYK_M", "CMYK_Y", "CMYK_K", "CMYK_A", "CMYK_B"},
                                  "CMYKcm"},
                      PureInkCase{"sevenInks", "CMYKcmk",
                                  {"CMYK_C", "CMYK_M", "CMYK_Y", "CMYK_K", "CMYK_A", "CMYK_B", "CMYK_D"}, "CMYKcmk"},
                      // Green and orange in channels 9 and 10, channels 7 and 8 unused.
                      PureInkCase{"tenInksOfTheOgModel", "CMYKcmOG",
                                  {"CMYK_C", "CMYK_M", "CMYK_Y", "CMYK_K", "CMYK_A", "CMYK_B", "CMYK_D", "CMYK_E",
                                   "CMYK_RGB_O", "CMYK_RGB_G"},
                                  "CMYKcmxxOG"}),
    [](const ::testing::TestParamInfo<PureInkCase>& info) { return std::string(info.param.name); });

TEST(ChartPreview, InksOfATargetWithoutAModelShowInColoursOfTheirOwn)
{
    ChartMaker maker;
    ASSERT_TRUE(maker.isValid());
    const QStringList fields = {"7CLR_1", "7CLR_2", "7CLR_3", "7CLR_4", "7CLR_5", "7CLR_6", "7CLR_7"};
    const QString png = maker.filePath(QStringLiteral("chart.png"));
    ASSERT_EQ(maker.run(maker.writeTarget(QString(), fields, pureInkRows(7)), 7, 14, 7, {"-preview", png}), 0);
    PngPicture picture;
    ASSERT_TRUE(picture.read(png));
    const PatchGrid grid(picture, 7, 2);
    std::set<Rgb> colours;
    for (int column = 0; column < 7; ++column) {
        const Rgb colour = picture.at(grid.centreX(column), grid.centreY(1));
        colours.insert(colour);
        EXPECT_EQ(picture.at(grid.centreX(6 - column), grid.centreY(0)), colour) << "the same ink, the same colour";
        for (const auto& named : documentedInks())
            EXPECT_NE(colour, named.second) << "ink " << column + 1 << " looks like " << named.first;
    }
    EXPECT_EQ(colours.size(), 7u);
}

TEST(ChartPreview, AnRgbTargetShowsItsValues)
{
    ChartMaker maker;
    ASSERT_TRUE(maker.isValid());
    const QList<QList<int>> rows = {{200, 30, 90}, {0, 128, 255}};
    const QString png = maker.filePath(QStringLiteral("chart.png"));
    const QString target = maker.writeTarget(QStringLiteral("RGB"), {"RGB_R", "RGB_G", "RGB_B"}, rows);
    ASSERT_EQ(maker.run(target, 3, 2, 2, {"-preview", png}), 0) << maker.log().join(QLatin1Char(10)).toStdString();
    PngPicture picture;
    ASSERT_TRUE(picture.read(png));
    const PatchGrid grid(picture, 2, 1);
    EXPECT_EQ(picture.at(grid.centreX(0), grid.centreY(0)), (Rgb{200, 30, 90}));
    EXPECT_EQ(picture.at(grid.centreX(1), grid.centreY(0)), (Rgb{0, 128, 255}));
}

// Writes a 4-channel chart whose first two channels hold what channels 5 and 6
// of the six-channel chart hold, without the inversion, and whose last two are
// its channels 3 and 4.
bool writeUninverted(const QString& sixChannels, const QString& fourChannels)
{
    CTiffImg source;
    CTiffImg copy;
    if (!source.Open(QFile::encodeName(sixChannels).constData()) || source.GetSamples() != 6
        || !copy.Create(QFile::encodeName(fourChannels).constData(), source.GetWidth(), source.GetHeight(), 8,
                        CTiffImg::Subtractive, 4, 180, 180, true))
        return false;
    std::vector<uint8_t> line(source.GetBytesPerLine());
    std::vector<uint8_t> out(source.GetWidth() * 4);
    for (unsigned long y = 0; y < source.GetHeight(); ++y) {
        if (!source.ReadLine(line.data()))
            return false;
        for (unsigned long x = 0; x < source.GetWidth(); ++x) {
            const uint8_t* pixel = &line[x * 6];
            const uint8_t values[4] = {uint8_t(255 - pixel[4]), uint8_t(255 - pixel[5]), pixel[2], pixel[3]};
            std::copy(values, values + 4, &out[x * 4]);
        }
        if (!copy.WriteLine(out.data()))
            return false;
    }
    return copy.Close();
}

TEST(ChartPreview, AnInvertedChannelPreviewsAsTheSameInkStoredPlainly)
{
    ChartMaker maker;
    ASSERT_TRUE(maker.isValid());
    // Light cyan and light magenta of every strength, stored inverted in channels 5 and 6.
    QList<QList<int>> rows;
    for (int set = 0; set < 12; ++set)
        rows << QList<int>{0, 0, set * 9, 0, set * 9, 100 - set * 9};
    const QString target = maker.writeTarget(QStringLiteral("CMYKcm"),
                                             {"CMYK_C", "CMYK_M", "CMYK_Y", "CMYK_K", "CMYK_A", "CMYK_B"}, rows);
    ASSERT_EQ(maker.run(target, 6, 12, 4), 0) << maker.log().join(QLatin1Char(10)).toStdString();
    const QString plain = maker.filePath(QStringLiteral("plain.tif"));
    ASSERT_TRUE(writeUninverted(maker.chart(), plain));

    ChartPreview inverted(PreviewOptions{QStringLiteral("CMYKcm"), 0, false});
    ChartPreview stored(PreviewOptions{QStringLiteral("cmYK"), 0, false});
    ASSERT_TRUE(inverted.write(maker.chart(), maker.filePath(QStringLiteral("inverted.png")))) << inverted.errorText().toStdString();
    ASSERT_TRUE(stored.write(plain, maker.filePath(QStringLiteral("stored.png")))) << stored.errorText().toStdString();
    PngPicture a, b;
    ASSERT_TRUE(a.read(maker.filePath(QStringLiteral("inverted.png"))));
    ASSERT_TRUE(b.read(maker.filePath(QStringLiteral("stored.png"))));
    EXPECT_EQ(a.width, b.width);
    EXPECT_EQ(a.rgb, b.rgb);
    EXPECT_EQ(a.at(PatchGrid(a, 4, 3).centreX(0), PatchGrid(a, 4, 3).centreY(2)), documentedInks().at('m'));
}

class MadeChart : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(maker.isValid());
        const QStringList fields = {"CMYK_C", "CMYK_M", "CMYK_Y", "CMYK_K", "CMYK_A", "CMYK_B"};
        ASSERT_EQ(maker.run(maker.writeTarget(QStringLiteral("CMYKcm"), fields, pureInkRows(6)), 6, 12, 6), 0);
        ASSERT_TRUE(full.write(maker.chart(), maker.filePath(QStringLiteral("full.png")))) << full.errorText().toStdString();
        ASSERT_TRUE(fullPicture.read(maker.filePath(QStringLiteral("full.png"))));
    }

    ChartMaker maker;
    ChartPreview full{PreviewOptions{}};
    PngPicture fullPicture;
};

TEST_F(MadeChart, AScaledPreviewKeepsTheProportionsAndThePatches)
{
    ChartPreview scaled(PreviewOptions{QString(), 372, false});
    ASSERT_TRUE(scaled.write(maker.chart(), maker.filePath(QStringLiteral("scaled.png")))) << scaled.errorText().toStdString();
    PngPicture picture;
    ASSERT_TRUE(picture.read(maker.filePath(QStringLiteral("scaled.png"))));
    // The chart is 744 x 510 pixels.
    EXPECT_EQ(fullPicture.width, 744);
    EXPECT_EQ(picture.width, 372);
    EXPECT_EQ(picture.height, 255);
    const PatchGrid grid(picture, 6, 2), fullGrid(fullPicture, 6, 2);
    for (int column = 0; column < 6; ++column)
        EXPECT_EQ(picture.at(grid.centreX(column), grid.centreY(0)),
                  fullPicture.at(fullGrid.centreX(column), fullGrid.centreY(0)));
}

TEST_F(MadeChart, SeparationsShowEachInkAloneBesideTheSamePicture)
{
    ChartPreview separated(PreviewOptions{QString(), 0, true});
    ASSERT_TRUE(separated.write(maker.chart(), maker.filePath(QStringLiteral("sheet.png")))) << separated.errorText().toStdString();
    PngPicture picture;
    ASSERT_TRUE(picture.read(maker.filePath(QStringLiteral("sheet.png"))));
    const SeparationSheet sheet(InkSet::forChannels(6), 744, 510, 510);
    EXPECT_EQ(picture.width, 744 + sheet.width());
    EXPECT_EQ(picture.height, std::max(510, sheet.height()));
    for (int y = 0; y < fullPicture.height; ++y) {
        ASSERT_TRUE(std::equal(&fullPicture.rgb[size_t(y) * 744 * 3], &fullPicture.rgb[size_t(y + 1) * 744 * 3],
                               &picture.rgb[size_t(y) * size_t(picture.width) * 3]))
            << "picture row " << y;
    }

    const PatchGrid grid(fullPicture, 6, 2);
    for (int channel = 0; channel < 6; ++channel) {
        const QRect tile = sheet.tileRect(channel).translated(744, 0);
        bool labelled = false;
        for (int x = tile.left(); x <= tile.right(); ++x)
            labelled = labelled || picture.at(x, tile.top() - 5) == Rgb{0, 0, 0};
        EXPECT_TRUE(labelled) << "a label above tile " << channel;
        for (int column = 0; column < 6; ++column) {
            const int x = tile.left() + grid.centreX(column) * tile.width() / 744;
            const int y = tile.top() + grid.centreY(1) * tile.height() / 510;
            const int grey = column == channel ? 0 : 255;
            EXPECT_EQ(picture.at(x, y), (Rgb{grey, grey, grey})) << "tile " << channel << ", patch " << column;
        }
    }
}

TEST_F(MadeChart, APreviewThatCannotBeWrittenIsAWarningAndTheChartStays)
{
    const QFileInfo before(maker.chart());
    const QStringList fields = {"CMYK_C", "CMYK_M", "CMYK_Y", "CMYK_K", "CMYK_A", "CMYK_B"};
    const QString target = maker.filePath(QStringLiteral("target.it8"));
    const std::pair<QString, const char*> cases[] = {
        {maker.filePath(QStringLiteral("absent/chart.png")), "absent/chart.png: "},
        {maker.chart(), "would replace the chart"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first.toStdString());
        ASSERT_EQ(maker.run(target, 6, 12, 6, {"-preview", c.first}), 0);
        const QStringList log = maker.log();
        EXPECT_EQ(log.last(), QStringLiteral("finished"));
        const QStringList warnings = log.filter(QStringLiteral("lumetra: warning: no preview of the chart: "));
        ASSERT_EQ(warnings.size(), 1) << log.join(QLatin1Char(10)).toStdString();
        EXPECT_TRUE(warnings.first().contains(QLatin1String(c.second))) << warnings.first().toStdString();
        CTiffImg chart;
        EXPECT_TRUE(chart.Open(QFile::encodeName(maker.chart()).constData())) << "the chart is whole";
        EXPECT_EQ(chart.GetSamples(), 6u);
    }
    EXPECT_FALSE(QFile::exists(maker.filePath(QStringLiteral("absent"))));
}

} // namespace
