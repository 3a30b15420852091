#include "ctiffimg.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <vector>

namespace {

// A deterministic pattern per line so that a swapped or shifted line is noticed.
std::vector<unsigned char> patternLine(uint32_t line, size_t bytes)
{
    std::vector<unsigned char> data(bytes);
    for (size_t i = 0; i < bytes; ++i)
        data[i] = static_cast<unsigned char>(line * 31 + i * 7 + 3);
    return data;
}

class ErrorHandlerSilencer
{
public:
    ErrorHandlerSilencer() : m_previous(TIFFSetErrorHandler(nullptr)) {}
    ~ErrorHandlerSilencer() { TIFFSetErrorHandler(m_previous); }

private:
    TIFFErrorHandler m_previous;
};

struct WriteCase
{
    const char* name;
    unsigned long samples;
    unsigned long kind;
    bool compress;
    bool bottomUp;
    uint16_t expectedPhotometric;
};

class CTiffImgRoundTrip : public ::testing::TestWithParam<WriteCase>
{
protected:
    QTemporaryDir dir;
};

TEST_P(CTiffImgRoundTrip, WritesTagsAndLinesThatReadBack)
{
    const WriteCase c = GetParam();
    const QByteArray path = dir.filePath(QStringLiteral("chart.tif")).toLocal8Bit();
    const uint32_t width = 37, height = 23;

    {
        CTiffImg img;
        ASSERT_TRUE(img.Create(path.constData(), width, height, 8, c.kind, c.samples, 72.0f, 144.0f, c.compress));
        ASSERT_EQ(img.GetBytesPerLine(), width * c.samples);
        if (c.bottomUp) {
            img.SetToEnd();
            for (uint32_t y = height; y-- > 0;) {
                auto line = patternLine(y, img.GetBytesPerLine());
                ASSERT_TRUE(img.WriteLineBack(line.data()));
            }
            auto extra = patternLine(0, img.GetBytesPerLine());
            EXPECT_FALSE(img.WriteLineBack(extra.data()));
        } else {
            for (uint32_t y = 0; y < height; ++y) {
                auto line = patternLine(y, img.GetBytesPerLine());
                ASSERT_TRUE(img.WriteLine(line.data()));
            }
            // Lines past the height are ignored but accepted.
            auto extra = patternLine(99, img.GetBytesPerLine());
            EXPECT_TRUE(img.WriteLine(extra.data()));
        }
        img.Close();
    }

    // Tags as libtiff sees them.
    TIFF* tif = TIFFOpen(path.constData(), "r");
    ASSERT_NE(tif, nullptr);
    uint32_t w = 0, h = 0, rowsPerStrip = 0;
    uint16_t photometric = 0, planar = 0, spp = 0, bps = 0, compression = 0, orientation = 0, unit = 0;
    float xres = 0, yres = 0;
    EXPECT_EQ(TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w), 1);
    EXPECT_EQ(TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h), 1);
    EXPECT_EQ(TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric), 1);
    EXPECT_EQ(TIFFGetField(tif, TIFFTAG_PLANARCONFIG, &planar), 1);
    EXPECT_EQ(TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &spp), 1);
    EXPECT_EQ(TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &bps), 1);
    EXPECT_EQ(TIFFGetField(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip), 1);
    EXPECT_EQ(TIFFGetField(tif, TIFFTAG_COMPRESSION, &compression), 1);
    EXPECT_EQ(TIFFGetField(tif, TIFFTAG_ORIENTATION, &orientation), 1);
    EXPECT_EQ(TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres), 1);
    EXPECT_EQ(TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres), 1);
    // Nothing beyond the fixed tags: TIFFGetField reports unset fields as absent.
    EXPECT_EQ(TIFFGetField(tif, TIFFTAG_RESOLUTIONUNIT, &unit), 0);
    uint16_t inkSet = 0;
    EXPECT_EQ(TIFFGetField(tif, TIFFTAG_INKSET, &inkSet), 0);
    uint16_t* extraSamples = nullptr;
    uint16_t extraCount = 0;
    EXPECT_EQ(TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extraSamples), 0);
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);
    EXPECT_EQ(photometric, c.expectedPhotometric);
    EXPECT_EQ(planar, PLANARCONFIG_CONTIG);
    EXPECT_EQ(spp, c.samples);
    EXPECT_EQ(bps, 8);
    EXPECT_EQ(rowsPerStrip, 1u);
    EXPECT_EQ(compression, c.compress ? COMPRESSION_LZW : COMPRESSION_NONE);
    EXPECT_EQ(orientation, ORIENTATION_TOPLEFT);
    EXPECT_FLOAT_EQ(xres, 72.0f);
    EXPECT_FLOAT_EQ(yres, 144.0f);
    EXPECT_EQ(TIFFNumberOfStrips(tif), height);
    TIFFClose(tif);

    // Pixels through the wrapper's reader.
    CTiffImg reader;
    ASSERT_TRUE(reader.Open(path.constData()));
    EXPECT_EQ(reader.GetWidth(), width);
    EXPECT_EQ(reader.GetHeight(), height);
    EXPECT_EQ(reader.GetSamples(), c.samples);
    EXPECT_EQ(reader.GetBitsPerSample(), 8u);
    EXPECT_FLOAT_EQ(reader.GetXRes(), 72.0f);
    EXPECT_EQ(reader.GetPhoto(), c.kind);
    std::vector<unsigned char> line(reader.GetBytesPerLine());
    for (uint32_t y = 0; y < height; ++y) {
        ASSERT_TRUE(reader.ReadLine(line.data())) << "line " << y;
        EXPECT_EQ(line, patternLine(y, line.size())) << "line " << y;
    }
    EXPECT_FALSE(reader.ReadLine(line.data())) << "reading past the last line";
}

INSTANTIATE_TEST_SUITE_P(
    SamplesOrderAndCompression, CTiffImgRoundTrip,
    ::testing::Values(WriteCase{"grey", 1, CTiffImg::Additive, true, false, PHOTOMETRIC_MINISBLACK},
                      WriteCase{"rgb", 3, CTiffImg::Additive, false, false, PHOTOMETRIC_RGB},
                      WriteCase{"rgbBottomUp", 3, CTiffImg::Additive, true, true, PHOTOMETRIC_RGB},
                      WriteCase{"cmyk", 4, CTiffImg::Subtractive, true, false, PHOTOMETRIC_SEPARATED},
                      WriteCase{"cmykPlainBottomUp", 4, CTiffImg::Subtractive, false, true, PHOTOMETRIC_SEPARATED},
                      WriteCase{"sevenInks", 7, CTiffImg::Subtractive, true, true, PHOTOMETRIC_SEPARATED},
                      WriteCase{"elevenInks", 11, CTiffImg::Subtractive, true, false, PHOTOMETRIC_SEPARATED},
                      WriteCase{"elevenInksPlain", 11, CTiffImg::Subtractive, false, true, PHOTOMETRIC_SEPARATED},
                      WriteCase{"lab", 3, CTiffImg::CieLab, true, false, PHOTOMETRIC_CIELAB}),
    [](const ::testing::TestParamInfo<WriteCase>& info) { return std::string(info.param.name); });

// Writes a small 3-sample file through libtiff directly with the given layout.
bool writeForeignTiff(const QByteArray& path, uint16_t planar, uint16_t orientation)
{
    TIFF* tif = TIFFOpen(path.constData(), "w");
    if (!tif)
        return false;
    const uint32_t width = 4, height = 2;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, planar);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 2);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, orientation);
    std::vector<unsigned char> data(width * height * 3, 0x5a);
    const tstrip_t strips = TIFFNumberOfStrips(tif);
    for (tstrip_t s = 0; s < strips; ++s)
        TIFFWriteEncodedStrip(tif, s, data.data(), TIFFStripSize(tif));
    TIFFClose(tif);
    return true;
}

TEST(CTiffImgOpen, RefusesSeparatePlanesAndOtherOrientations)
{
    QTemporaryDir dir;
    const QByteArray planes = dir.filePath(QStringLiteral("planes.tif")).toLocal8Bit();
    const QByteArray rotated = dir.filePath(QStringLiteral("rotated.tif")).toLocal8Bit();
    const QByteArray plain = dir.filePath(QStringLiteral("plain.tif")).toLocal8Bit();
    ASSERT_TRUE(writeForeignTiff(planes, PLANARCONFIG_SEPARATE, ORIENTATION_TOPLEFT));
    ASSERT_TRUE(writeForeignTiff(rotated, PLANARCONFIG_CONTIG, ORIENTATION_BOTLEFT));
    ASSERT_TRUE(writeForeignTiff(plain, PLANARCONFIG_CONTIG, ORIENTATION_TOPLEFT));

    CTiffImg img;
    EXPECT_FALSE(img.Open(planes.constData()));
    EXPECT_EQ(img.GetWidth(), 0u);
    EXPECT_FALSE(img.Open(rotated.constData()));

    // A strip of several rows is read through the cache, line by line.
    ASSERT_TRUE(img.Open(plain.constData()));
    std::vector<unsigned char> line(img.GetBytesPerLine());
    ASSERT_EQ(line.size(), 12u);
    EXPECT_TRUE(img.ReadLine(line.data()));
    EXPECT_TRUE(img.ReadLine(line.data()));
    EXPECT_EQ(line, std::vector<unsigned char>(12, 0x5a));
}

TEST(CTiffImgState, LineOperationsOfTheOtherModeOrClosedFail)
{
    QTemporaryDir dir;
    const QByteArray path = dir.filePath(QStringLiteral("a.tif")).toLocal8Bit();
    std::vector<unsigned char> line(64, 1);

    CTiffImg img;
    EXPECT_FALSE(img.WriteLine(line.data()));
    EXPECT_FALSE(img.WriteLineBack(line.data()));
    EXPECT_FALSE(img.ReadLine(line.data()));

    ASSERT_TRUE(img.Create(path.constData(), 8, 2, 8, CTiffImg::Subtractive, 4, 300, 300, true));
    EXPECT_FALSE(img.ReadLine(line.data()));
    EXPECT_TRUE(img.WriteLine(line.data()));
    EXPECT_TRUE(img.WriteLine(line.data()));
    img.Close();
    img.Close();  // harmless
    EXPECT_EQ(img.GetWidth(), 0u);
    EXPECT_FALSE(img.WriteLine(line.data()));

    ASSERT_TRUE(img.Open(path.constData()));
    EXPECT_FALSE(img.WriteLine(line.data()));
    EXPECT_FALSE(img.WriteLineBack(line.data()));
    EXPECT_TRUE(img.ReadLine(line.data()));
}

TEST(CTiffImgState, OpenAndCreateFailuresLeaveTheObjectClosed)
{
    ErrorHandlerSilencer silence;
    QTemporaryDir dir;
    CTiffImg img;
    const QByteArray missingFolder = dir.filePath(QStringLiteral("no/such/folder/x.tif")).toLocal8Bit();
    EXPECT_FALSE(img.Create(missingFolder.constData(), 4, 4, 8, CTiffImg::Additive, 1, 72, 72, false));
    std::vector<unsigned char> line(4);
    EXPECT_FALSE(img.WriteLine(line.data()));
    EXPECT_EQ(img.GetWidth(), 0u);

    const QByteArray missingFile = dir.filePath(QStringLiteral("missing.tif")).toLocal8Bit();
    EXPECT_FALSE(img.Open(missingFile.constData()));
    EXPECT_FALSE(img.ReadLine(line.data()));

    // Not a TIFF at all.
    const QString junk = dir.filePath(QStringLiteral("junk.tif"));
    QFile f(junk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("II*\0garbage that is no directory", 32);
    f.close();
    EXPECT_FALSE(img.Open(junk.toLocal8Bit().constData()));
}

TEST(CTiffImgState, CreateClosesTheFileOpenBefore)
{
    QTemporaryDir dir;
    const QByteArray first = dir.filePath(QStringLiteral("first.tif")).toLocal8Bit();
    const QByteArray second = dir.filePath(QStringLiteral("second.tif")).toLocal8Bit();
    CTiffImg img;
    std::vector<unsigned char> line(3 * 5, 9);
    ASSERT_TRUE(img.Create(first.constData(), 5, 1, 8, CTiffImg::Additive, 3, 72, 72, true));
    ASSERT_TRUE(img.WriteLine(line.data()));
    ASSERT_TRUE(img.Create(second.constData(), 5, 1, 8, CTiffImg::Additive, 3, 72, 72, true));
    img.Close();

    CTiffImg reader;
    ASSERT_TRUE(reader.Open(first.constData()));
    std::vector<unsigned char> back(reader.GetBytesPerLine());
    ASSERT_TRUE(reader.ReadLine(back.data()));
    EXPECT_EQ(back, line);
}

} // namespace
