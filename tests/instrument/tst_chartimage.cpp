// The chart TIFF as the SDK rendered it: tags read back with libtiff, every pixel
// compared with the simulator's documented layout of the colour table.
#include "accelinstrument.h"
#include "cit8toimageobj.h"
#include "driversetup.h"
#include "simfolder.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <QCoreApplication>

#include <vector>

namespace {

constexpr int Resolution = 180;

struct ChartCase
{
    const char* name;
    int channels;
    const char* inkModel;
    QStringList fields;
    int sets;
    int patchesPerRow;
    int patchWidth;
    int patchHeight;
    uint16_t photometric;
    const char* scenario;
};

int pixels(int hundredths)
{
    return hundredths * Resolution / 2540;
}

class ChartImage : public ::testing::TestWithParam<ChartCase>
{
protected:
    QTemporaryDir work;
};

TEST_P(ChartImage, MatchesTheColourTableLaidOutByTheSdk)
{
    const ChartCase& c = GetParam();
    const QString it8 = writeTarget(work.filePath(QStringLiteral("t.it8")), c.inkModel, c.fields, c.sets);
    const QString tiff = work.filePath(QStringLiteral("chart.tif"));
    SimFolder sim(QString::fromLatin1(c.scenario));
    ASSERT_TRUE(sim.isValid());

    accelInstrument instrument(sim.path());
    setSinglePageJob(instrument, it8, PageSetup{c.patchesPerRow, c.patchWidth, c.patchHeight, c.channels, 320, 450});
    instrument.setTiffPath(tiff);
    ASSERT_TRUE(bringUp(instrument));
    bool ended = false;
    QObject::connect(&instrument, &accelInstrument::endCreateTiff, [&] { ended = true; });
    ASSERT_TRUE(instrument.GenerateTiff());
    QCoreApplication::processEvents();
    EXPECT_TRUE(ended);
    instrument.cleanupACCEL();

    // The colour table the driver handed over, computed independently of the driver.
    CIt8ToImageObj target(it8);
    ASSERT_EQ(target.ComputeLinearizationChart(1, 1, c.patchesPerRow, c.channels), 1);
    const int patches = target.GetTotalPatchCount();
    const int rows = patches / c.patchesPerRow;
    const int width = pixels((c.patchWidth * c.patchesPerRow * 100 + 4540) / 100 * 100);
    const int height = pixels((c.patchHeight * rows + 56) * 100);
    const int patchW = std::max(1, pixels(c.patchWidth * 100));
    const int patchH = std::max(1, pixels(c.patchHeight * 100));
    const int left = (width - c.patchesPerRow * patchW) / 2;
    const int top = (height - rows * patchH) / 2;
    const uint8_t background = c.channels < 4 ? 0xFF : 0x00;

    TIFF* tif = TIFFOpen(tiff.toLocal8Bit().constData(), "r");
    ASSERT_NE(tif, nullptr);
    uint32_t w = 0, h = 0;
    uint16_t samples = 0, bits = 0, photometric = 0, compression = 0;
    float xres = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetField(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres);
    EXPECT_EQ(int(w), width);
    EXPECT_EQ(int(h), height);
    EXPECT_EQ(samples, c.channels);
    EXPECT_EQ(bits, 8);
    EXPECT_EQ(photometric, c.photometric);
    EXPECT_EQ(compression, COMPRESSION_LZW);
    EXPECT_FLOAT_EQ(xres, float(Resolution));

    std::vector<uint8_t> line(size_t(TIFFScanlineSize(tif)));
    int mismatches = 0;
    for (int y = 0; y < int(h) && mismatches < 5; ++y) {
        ASSERT_EQ(TIFFReadScanline(tif, line.data(), uint32_t(y)), 1);
        for (int x = 0; x < int(w); ++x) {
            int patch = -1;
            if (x >= left && x < left + c.patchesPerRow * patchW && y >= top && y < top + rows * patchH)
                patch = ((y - top) / patchH) * c.patchesPerRow + (x - left) / patchW;
            for (int ch = 0; ch < c.channels; ++ch) {
                uint8_t rendered = patch >= 0 && patch < patches
                    ? target.GetTargetImage()[patch * c.channels + ch]
                    : background;
                const uint8_t stored = ch >= 4 ? uint8_t(255 - rendered) : rendered;
                if (line[size_t(x * c.channels + ch)] != stored && ++mismatches < 5)
                    ADD_FAILURE() << "pixel " << x << "," << y << " channel " << ch << ": "
                                  << int(line[size_t(x * c.channels + ch)]) << " instead of " << int(stored);
            }
        }
    }
    TIFFClose(tif);
}

INSTANTIATE_TEST_SUITE_P(
    Channels, ChartImage,
    ::testing::Values(ChartCase{"threeInks", 3, "CMYK", {"CMYK_C", "CMYK_M", "CMYK_Y", "CMYK_K"}, 11, 4, 7, 5,
                                PHOTOMETRIC_RGB, "chart.batch = 7"},
                      ChartCase{"fourInks", 4, "CMYK", {"CMYK_C", "CMYK_M", "CMYK_Y", "CMYK_K"}, 10, 4, 10, 8,
                                PHOTOMETRIC_SEPARATED, "chart.batch = 7"},
                      ChartCase{"sixInks", 6, "CMYKcm", {"CMYK_C", "CMYK_M", "CMYK_Y", "CMYK_K", "CMYK_A", "CMYK_B"},
                                23, 5, 6, 6, PHOTOMETRIC_SEPARATED, "chart.batch = 7"},
                      // Lines that carry padding bytes after their pixels.
                      ChartCase{"sixInksPaddedLines", 6, "CMYKcm",
                                {"CMYK_C", "CMYK_M", "CMYK_Y", "CMYK_K", "CMYK_A", "CMYK_B"}, 23, 5, 6, 6,
                                PHOTOMETRIC_SEPARATED, "chart.batch = 7\nchart.fault = padding=5"}),
    [](const ::testing::TestParamInfo<ChartCase>& info) { return std::string(info.param.name); });

} // namespace
