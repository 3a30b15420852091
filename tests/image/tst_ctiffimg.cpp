#include "ctiffimg.h"
#include "filesizelimit.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>

#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace {

// Parameterised cases that each write into a temporary folder of their own.
template <typename Case>
class CasesInAFolder : public ::testing::TestWithParam<Case>
{
protected:
    QTemporaryDir dir;
};

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

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

// How many strips the file's directory lists, read from its bytes: libtiff derives its
// own count from ImageLength, so a strip written past the height would not show there.
std::optional<uint32_t> listedStripCount(const QByteArray& path)
{
    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (bytes.size() < 8 || !bytes.startsWith("II*"))
        return std::nullopt;
    const auto at = [&bytes](qint64 offset, int size) -> std::optional<uint32_t> {
        if (offset < 0 || offset + size > bytes.size())
            return std::nullopt;
        return size == 2 ? qFromLittleEndian<uint16_t>(bytes.constData() + offset)
                         : qFromLittleEndian<uint32_t>(bytes.constData() + offset);
    };
    const std::optional<uint32_t> directory = at(4, 4);
    const std::optional<uint32_t> entries = directory ? at(*directory, 2) : std::nullopt;
    for (uint32_t i = 0; entries && i < *entries; ++i) {
        const qint64 entry = qint64(*directory) + 2 + qint64(i) * 12;
        if (at(entry, 2) == uint32_t(TIFFTAG_STRIPOFFSETS))
            return at(entry + 4, 4);
    }
    return std::nullopt;
}

// Reads the whole image and compares it with the pattern lines.
void expectPatternImage(const QByteArray& path, uint32_t height)
{
    CTiffImg reader;
    ASSERT_TRUE(reader.Open(path.constData())) << reader.GetErrorText().toStdString();
    ASSERT_EQ(reader.GetHeight(), height);
    std::vector<unsigned char> line(reader.GetBytesPerLine());
    for (uint32_t y = 0; y < height; ++y) {
        ASSERT_TRUE(reader.ReadLine(line.data())) << "line " << y;
        EXPECT_EQ(line, patternLine(y, line.size())) << "line " << y;
    }
}

struct WriteCase
{
    const char* name;
    unsigned long samples;
    unsigned long kind;
    bool compress;
    bool bottomUp;
    uint16_t expectedPhotometric;
};

using CTiffImgRoundTrip = CasesInAFolder<WriteCase>;

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
            // Lines past the height are refused; the strip count below shows nothing was added.
            auto extra = patternLine(99, img.GetBytesPerLine());
            EXPECT_FALSE(img.WriteLine(extra.data()));
            EXPECT_TRUE(img.GetErrorText().contains(QStringLiteral("outside the image")))
                << img.GetErrorText().toStdString();
        }
        ASSERT_TRUE(img.Close()) << img.GetErrorText().toStdString();
    }
    EXPECT_EQ(entriesOf(dir.path()), QStringList{QStringLiteral("chart.tif")}) << "no temporary file is left";

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
    EXPECT_EQ(TIFFNumberOfDirectories(tif), 1);
    TIFFClose(tif);
    EXPECT_EQ(listedStripCount(path), height) << "no strip past the last line";

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

// The layout of a file written through libtiff directly, uncompressed.
struct ForeignLayout
{
    uint16_t photometric = PHOTOMETRIC_RGB;
    uint16_t samples = 3;
    uint16_t bits = 8;
    uint32_t width = 4;
    uint32_t height = 2;
    uint32_t rowsPerStrip = 2;
    uint16_t planar = PLANARCONFIG_CONTIG;
    uint16_t orientation = ORIENTATION_TOPLEFT;
};

// Row y of every plane holds patternLine(y), so each row of a strip differs from the others.
bool writeForeignTiff(const QByteArray& path, const ForeignLayout& layout)
{
    TIFF* tif = TIFFOpen(path.constData(), "w");
    if (!tif)
        return false;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, layout.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, layout.height);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, layout.photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, layout.planar);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, layout.samples);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, layout.bits);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, layout.rowsPerStrip);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, layout.orientation);
    const size_t rowBytes = size_t(TIFFScanlineSize(tif));
    const uint32_t stripsPerPlane = (layout.height + layout.rowsPerStrip - 1) / layout.rowsPerStrip;
    bool written = true;
    for (tstrip_t s = 0; s < TIFFNumberOfStrips(tif); ++s) {
        std::vector<unsigned char> strip;
        const uint32_t first = (s % stripsPerPlane) * layout.rowsPerStrip;
        for (uint32_t y = first; y < std::min(first + layout.rowsPerStrip, layout.height); ++y) {
            const std::vector<unsigned char> row = patternLine(y, rowBytes);
            strip.insert(strip.end(), row.begin(), row.end());
        }
        written = TIFFWriteEncodedStrip(tif, s, strip.data(), tmsize_t(strip.size())) >= 0 && written;
    }
    TIFFClose(tif);
    return written;
}

bool writeForeignTiff(const QByteArray& path, uint16_t planar, uint16_t orientation)
{
    ForeignLayout layout;
    layout.planar = planar;
    layout.orientation = orientation;
    return writeForeignTiff(path, layout);
}

TEST(CTiffImgOpen, RefusesSeparatePlanesAndOtherOrientations)
{
    ErrorHandlerSilencer silence;
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
    EXPECT_TRUE(img.GetErrorText().endsWith(QStringLiteral("only interleaved samples from the top left can be read")));

    // A strip of several rows is read through the cache, line by line.
    ASSERT_TRUE(img.Open(plain.constData()));
    std::vector<unsigned char> line(img.GetBytesPerLine());
    ASSERT_EQ(line.size(), 12u);
    EXPECT_TRUE(img.ReadLine(line.data()));
    EXPECT_TRUE(img.ReadLine(line.data()));
    EXPECT_EQ(line, patternLine(1, 12));
}

struct ForeignCase
{
    const char* name;
    ForeignLayout layout;
    unsigned long kind;
    unsigned long bytesPerLine;
};

using CTiffImgForeign = CasesInAFolder<ForeignCase>;

TEST_P(CTiffImgForeign, ReadsEveryLineAndTheKindOfCoding)
{
    const ForeignCase& c = GetParam();
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("foreign.tif")));
    ASSERT_TRUE(writeForeignTiff(path, c.layout));
    CTiffImg img;
    ASSERT_TRUE(img.Open(path.constData())) << img.GetErrorText().toStdString();
    EXPECT_EQ(img.GetPhoto(), c.kind);
    EXPECT_EQ(img.GetSamples(), c.layout.samples);
    EXPECT_EQ(img.GetBitsPerSample(), c.layout.bits);
    ASSERT_EQ(img.GetBytesPerLine(), c.bytesPerLine);
    std::vector<unsigned char> line(c.bytesPerLine);
    for (uint32_t y = 0; y < c.layout.height; ++y) {
        ASSERT_TRUE(img.ReadLine(line.data())) << "line " << y;
        EXPECT_EQ(line, patternLine(y, line.size())) << "line " << y;
    }
    EXPECT_FALSE(img.ReadLine(line.data()));
}

// photometric, samples, bits, width, height, rows per strip
INSTANTIATE_TEST_SUITE_P(
    Layouts, CTiffImgForeign,
    ::testing::Values(
        ForeignCase{"whiteIsZero", {PHOTOMETRIC_MINISWHITE, 1, 8, 5, 3, 1}, CTiffImg::Subtractive, 5},
        ForeignCase{"blackIsZero", {PHOTOMETRIC_MINISBLACK, 1, 8, 5, 3, 1}, CTiffImg::Additive, 5},
        ForeignCase{"rgb", {PHOTOMETRIC_RGB, 3, 8, 5, 3, 1}, CTiffImg::Additive, 15},
        ForeignCase{"separated", {PHOTOMETRIC_SEPARATED, 4, 8, 5, 3, 1}, CTiffImg::Subtractive, 20},
        ForeignCase{"cieLab", {PHOTOMETRIC_CIELAB, 3, 8, 5, 3, 1}, CTiffImg::CieLab, 15},
        // Strips of several rows, the last one short.
        ForeignCase{"rowsPerStrip3", {PHOTOMETRIC_SEPARATED, 4, 8, 5, 7, 3}, CTiffImg::Subtractive, 20},
        ForeignCase{"oneStrip", {PHOTOMETRIC_MINISBLACK, 1, 8, 6, 5, 5}, CTiffImg::Additive, 6},
        // Lines of bits that do not fill their last byte take it whole.
        ForeignCase{"oneBit", {PHOTOMETRIC_MINISWHITE, 1, 1, 13, 5, 2}, CTiffImg::Subtractive, 2},
        ForeignCase{"fourBits", {PHOTOMETRIC_MINISBLACK, 1, 4, 13, 5, 2}, CTiffImg::Additive, 7},
        ForeignCase{"fourBitsRgb", {PHOTOMETRIC_RGB, 3, 4, 5, 3, 3}, CTiffImg::Additive, 8},
        ForeignCase{"oneBitWholeBytes", {PHOTOMETRIC_MINISBLACK, 1, 1, 16, 3, 1}, CTiffImg::Additive, 2}),
    [](const ::testing::TestParamInfo<ForeignCase>& info) { return std::string(info.param.name); });

struct BitsCase
{
    const char* name;
    unsigned long bits;
    unsigned long width;
    unsigned long bytesPerLine;
};

using CTiffImgFewBits = CasesInAFolder<BitsCase>;

TEST_P(CTiffImgFewBits, LinesTakeTheirLastByteWhole)
{
    const BitsCase& c = GetParam();
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("bits.tif")));
    const uint32_t height = 3;
    CTiffImg img;
    ASSERT_TRUE(img.Create(path.constData(), c.width, height, c.bits, CTiffImg::Additive, 1, 72, 72, true));
    EXPECT_EQ(img.GetBytesPerLine(), c.bytesPerLine);
    for (uint32_t y = 0; y < height; ++y)
        ASSERT_TRUE(img.WriteLine(patternLine(y, c.bytesPerLine).data()));
    ASSERT_TRUE(img.Close()) << img.GetErrorText().toStdString();
    expectPatternImage(path, height);
}

INSTANTIATE_TEST_SUITE_P(Widths, CTiffImgFewBits,
                         ::testing::Values(BitsCase{"oneBit13", 1, 13, 2}, BitsCase{"oneBit9", 1, 9, 2},
                                           BitsCase{"oneBit16", 1, 16, 2}, BitsCase{"fourBits13", 4, 13, 7},
                                           BitsCase{"fourBits3", 4, 3, 2}),
                         [](const ::testing::TestParamInfo<BitsCase>& info) { return std::string(info.param.name); });

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
    EXPECT_TRUE(img.Close());
    EXPECT_TRUE(img.Close());  // harmless
    EXPECT_EQ(img.GetWidth(), 0u);
    EXPECT_FALSE(img.WriteLine(line.data()));

    ASSERT_TRUE(img.Open(path.constData()));
    EXPECT_FALSE(img.WriteLine(line.data()));
    EXPECT_FALSE(img.WriteLineBack(line.data()));
    EXPECT_TRUE(img.ReadLine(line.data()));
    EXPECT_TRUE(img.Close());
    EXPECT_TRUE(QFileInfo(QFile::decodeName(path)).isFile()) << "closing a file read keeps it";
    EXPECT_EQ(img.GetErrorText(), QString());
}

// The system's words for why a file cannot be opened, as Qt gives them (strerror
// here, the Windows loader's message text there).
QString systemReason(const QByteArray& path, QIODevice::OpenMode mode)
{
    QFile probe(QFile::decodeName(path));
    return probe.open(mode) ? QString() : probe.errorString();
}

TEST(CTiffImgState, OpenAndCreateFailuresLeaveTheObjectClosed)
{
    ErrorHandlerSilencer silence;
    QTemporaryDir dir;
    CTiffImg img;
    const QByteArray missingFolder = dir.filePath(QStringLiteral("no/such/folder/x.tif")).toLocal8Bit();
    EXPECT_FALSE(img.Create(missingFolder.constData(), 4, 4, 8, CTiffImg::Additive, 1, 72, 72, false));
    EXPECT_EQ(img.GetErrorText(), QString::fromLocal8Bit(missingFolder) + ": Can not open output image: "
                                      + systemReason(missingFolder, QIODevice::WriteOnly));
    std::vector<unsigned char> line(4);
    EXPECT_FALSE(img.WriteLine(line.data()));
    EXPECT_EQ(img.GetWidth(), 0u);
    EXPECT_TRUE(img.Close()) << "nothing is open";

    const QByteArray missingFile = dir.filePath(QStringLiteral("missing.tif")).toLocal8Bit();
    EXPECT_FALSE(img.Open(missingFile.constData()));
    EXPECT_EQ(img.GetErrorText(), QString::fromLocal8Bit(missingFile) + ": Can not open input image: "
                                      + systemReason(missingFile, QIODevice::ReadOnly));
    EXPECT_FALSE(img.ReadLine(line.data()));

    // Not a TIFF at all.
    const QString junk = dir.filePath(QStringLiteral("junk.tif"));
    QFile f(junk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("II*\0garbage that is no directory", 32);
    f.close();
    EXPECT_FALSE(img.Open(junk.toLocal8Bit().constData()));
    // libtiff's own message for this file comes with the failure.
    EXPECT_TRUE(img.GetErrorText().startsWith(junk + ": Can not open input image: "))
        << img.GetErrorText().toStdString();
    EXPECT_GT(img.GetErrorText().size(), (junk + ": Can not open input image: ").size());

    EXPECT_TRUE(img.Create(dir.filePath(QStringLiteral("ok.tif")).toLocal8Bit().constData(), 4, 4, 8,
                           CTiffImg::Additive, 1, 72, 72, false));
    EXPECT_EQ(img.GetErrorText(), QString()) << "a success clears the last failure";
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

struct CreateCase
{
    const char* name;
    unsigned long height;
    unsigned long samples;
    float xRes;
    const char* reason;
};

using CTiffImgCreateRefusal = CasesInAFolder<CreateCase>;

TEST_P(CTiffImgCreateRefusal, LeavesNothingAndSaysWhy)
{
    ErrorHandlerSilencer silence;
    const CreateCase c = GetParam();
    const QString path = dir.filePath(QStringLiteral("chart.tif"));
    CTiffImg img;
    EXPECT_FALSE(img.Create(QFile::encodeName(path).constData(), 4, c.height, 8, CTiffImg::Subtractive, c.samples,
                            c.xRes, 72, true));
    EXPECT_TRUE(img.GetErrorText().startsWith(path + ": Can not open output image: "))
        << img.GetErrorText().toStdString();
    EXPECT_TRUE(img.GetErrorText().contains(QString::fromLatin1(c.reason))) << img.GetErrorText().toStdString();
    EXPECT_EQ(entriesOf(dir.path()), QStringList());
}

INSTANTIATE_TEST_SUITE_P(
    Values, CTiffImgCreateRefusal,
    ::testing::Values(CreateCase{"linesBeyondInt32", 0x80000000ul, 4, 72, "cannot be stored"},
                      // libtiff refuses these tags; a file without them would not read back.
                      CreateCase{"noSamples", 3, 0, 72, "SamplesPerPixel"},
                      CreateCase{"negativeResolution", 3, 4, -1, "XResolution"}),
    [](const ::testing::TestParamInfo<CreateCase>& info) { return std::string(info.param.name); });

enum class Ending { Close, Discard, Destroy, FolderRemoved, FileSizeLimited };

struct EndingCase
{
    const char* name;
    Ending ending;
    bool linesWritten;
    bool saved;
    int reasonErrno;  // 0: no system reason expected
};

using CTiffImgEnding = CasesInAFolder<EndingCase>;

TEST_P(CTiffImgEnding, OnlyASavedChartAppearsUnderItsName)
{
    ErrorHandlerSilencer silence;
    const EndingCase c = GetParam();
    const QString folder = dir.filePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString finalPath = folder + QStringLiteral("/chart.tif");
    const uint32_t width = 256, height = 64;

#ifdef _WIN32
    if (c.ending == Ending::FileSizeLimited)
        GTEST_SKIP() << "Windows has no file-size limit to fail a write with";
    if (c.ending == Ending::FolderRemoved)
        GTEST_SKIP() << "Windows does not remove a folder while a file in it is open";
#else
    // Far below the uncompressed image, far above the file's header.
    std::optional<FileSizeLimit> limit;
    if (c.ending == Ending::FileSizeLimited) {
        limit.emplace(4096);
        if (!limit->active())
            GTEST_SKIP() << "the file size limit cannot be lowered here";
    }
#endif
    auto img = std::make_unique<CTiffImg>();
    ASSERT_TRUE(img->Create(QFile::encodeName(finalPath).constData(), width, height, 8, CTiffImg::Additive, 1, 72,
                            72, false));
    bool allWritten = true;
    for (uint32_t y = 0; y < height; ++y) {
        auto line = patternLine(y, img->GetBytesPerLine());
        allWritten = img->WriteLine(line.data()) && allWritten;
    }
    EXPECT_EQ(allWritten, c.linesWritten);
    EXPECT_FALSE(QFileInfo::exists(finalPath)) << "the chart appears only once saved";

    std::optional<bool> closed;
    switch (c.ending) {
    case Ending::Close:
    case Ending::FileSizeLimited:
        closed = img->Close();
        break;
    case Ending::Discard:
        img->Discard();
        break;
    case Ending::Destroy:
        img.reset();
        break;
    case Ending::FolderRemoved:
        ASSERT_TRUE(QDir(folder).removeRecursively());
        closed = img->Close();
        break;
    }
#ifndef _WIN32
    limit.reset();
#endif

    if (closed) {
        EXPECT_EQ(*closed, c.saved) << img->GetErrorText().toStdString();
    }
    if (c.reasonErrno != 0) {
        const QString text = img->GetErrorText();
        EXPECT_TRUE(text.startsWith(finalPath + QStringLiteral(": "))) << text.toStdString();
        EXPECT_TRUE(text.contains(QString::fromLocal8Bit(std::strerror(c.reasonErrno)))) << text.toStdString();
    }
    EXPECT_EQ(QFileInfo::exists(finalPath), c.saved);
    EXPECT_EQ(entriesOf(folder), c.saved ? QStringList{QStringLiteral("chart.tif")} : QStringList{})
        << "nothing else is left behind";
    if (c.saved)
        expectPatternImage(QFile::encodeName(finalPath), height);
}

INSTANTIATE_TEST_SUITE_P(
    WaysAWriteEnds, CTiffImgEnding,
    ::testing::Values(EndingCase{"closed", Ending::Close, true, true, 0},
                      EndingCase{"discarded", Ending::Discard, true, false, 0},
                      EndingCase{"destroyed", Ending::Destroy, true, false, 0},
                      EndingCase{"folderRemovedBeforeClose", Ending::FolderRemoved, true, false, ENOENT},
                      EndingCase{"fileSizeLimitReached", Ending::FileSizeLimited, false, false, EFBIG}),
    [](const ::testing::TestParamInfo<EndingCase>& info) { return std::string(info.param.name); });

bool makeFolder(const QByteArray& path)
{
    return QDir().mkdir(QFile::decodeName(path));
}

#ifndef _WIN32
bool makeFifo(const QByteArray& path)
{
    return mkfifo(path.constData(), 0600) == 0;
}

bool makeSocket(const QByteArray& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    const bool bound = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return bound;
}

// A node like /dev/null, made here so that a fault replaces nothing of the system's.
bool makeNullDevice(const QByteArray& path)
{
    return mknod(path.constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
}

bool makeLinkToFifo(const QByteArray& path)
{
    return makeFifo(path + ".fifo") && symlink((path + ".fifo").constData(), path.constData()) == 0;
}
#endif

struct NodeCase
{
    const char* name;
    bool (*make)(const QByteArray& path); // null where the platform has no such node
};

using CTiffImgNonRegularPath = CasesInAFolder<NodeCase>;

TEST_P(CTiffImgNonRegularPath, IsNeverReplaced)
{
    ErrorHandlerSilencer silence;
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("node")));
    if (!GetParam().make)
        GTEST_SKIP() << "Windows has no FIFOs, sockets, device nodes or symbolic links a user can make";
    if (!GetParam().make(path))
        GTEST_SKIP() << "cannot make the node here: " << std::strerror(errno);
#ifndef _WIN32
    struct stat before{};
    ASSERT_EQ(lstat(path.constData(), &before), 0);
#endif
    const QStringList entries = entriesOf(dir.path());

    CTiffImg img;
    EXPECT_FALSE(img.Create(path.constData(), 4, 4, 8, CTiffImg::Additive, 1, 72, 72, false));
    EXPECT_EQ(img.GetErrorText(), QFile::decodeName(path) + ": Can not open output image: not a regular file");
    EXPECT_TRUE(img.Close());

#ifdef _WIN32
    EXPECT_TRUE(QFileInfo(QFile::decodeName(path)).isDir());
#else
    struct stat after{};
    ASSERT_EQ(lstat(path.constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode, before.st_mode);
#endif
    EXPECT_EQ(entriesOf(dir.path()), entries);
}

INSTANTIATE_TEST_SUITE_P(Nodes, CTiffImgNonRegularPath,
#ifdef _WIN32
                         ::testing::Values(NodeCase{"fifo", nullptr}, NodeCase{"folder", makeFolder},
                                           NodeCase{"socket", nullptr}, NodeCase{"device", nullptr},
                                           NodeCase{"linkToFifo", nullptr}),
#else
                         ::testing::Values(NodeCase{"fifo", makeFifo}, NodeCase{"folder", makeFolder},
                                           NodeCase{"socket", makeSocket}, NodeCase{"device", makeNullDevice},
                                           NodeCase{"linkToFifo", makeLinkToFifo}),
#endif
                         [](const ::testing::TestParamInfo<NodeCase>& info) { return std::string(info.param.name); });

using CTiffImgSymlink = CasesInAFolder<bool>;

TEST_P(CTiffImgSymlink, IsWrittenThroughAndKept)
{
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links on Windows need a privilege a user lacks; QFile::link makes shortcuts";
#else
    const bool targetExists = GetParam();
    const QString target = dir.filePath(QStringLiteral("target.tif"));
    const QByteArray link = QFile::encodeName(dir.filePath(QStringLiteral("link.tif")));
    if (targetExists) {
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("an older chart");
    }
    ASSERT_EQ(symlink("target.tif", link.constData()), 0);

    const uint32_t width = 5, height = 3;
    CTiffImg img;
    ASSERT_TRUE(img.Create(link.constData(), width, height, 8, CTiffImg::Subtractive, 4, 72, 72, true));
    for (uint32_t y = 0; y < height; ++y) {
        auto line = patternLine(y, img.GetBytesPerLine());
        ASSERT_TRUE(img.WriteLine(line.data()));
    }
    ASSERT_TRUE(img.Close()) << img.GetErrorText().toStdString();

    const QFileInfo linkInfo(QFile::decodeName(link));
    EXPECT_TRUE(linkInfo.isSymLink());
    EXPECT_EQ(linkInfo.symLinkTarget(), QFileInfo(target).absoluteFilePath());
    EXPECT_EQ(entriesOf(dir.path()), (QStringList{QStringLiteral("link.tif"), QStringLiteral("target.tif")}));
    expectPatternImage(QFile::encodeName(target), height);
#endif
}

INSTANTIATE_TEST_SUITE_P(TargetPresentOrNot, CTiffImgSymlink, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "existingTarget" : "danglingLink");
                         });

// A one-strip little-endian grey TIFF of 134 bytes built tag by tag, so that
// its header can claim sizes its data does not hold.
struct ForgedStrip
{
    uint32_t width;
    uint32_t height;
    uint16_t bits;
    uint16_t compression;
    uint32_t offset;  // 0: the data right after the directory
    uint32_t byteCount;
    bool layoutTags;  // false: SamplesPerPixel, BitsPerSample and RowsPerStrip left to their defaults
};

struct ForgedFile
{
    QByteArray bytes;
    int dataStart;
};

ForgedFile forgeTiff(const ForgedStrip& f)
{
    constexpr uint16_t Short = 3, Long = 4;
    struct Entry
    {
        uint16_t tag, type;
        uint32_t value;
    };
    const int entryCount = f.layoutTags ? 9 : 6;
    const int dataStart = 8 + 2 + entryCount * 12 + 4;
    std::vector<Entry> entries = {{256, Long, f.width},
                                  {257, Long, f.height},
                                  {259, Short, f.compression},
                                  {262, Short, 1},
                                  {273, Long, f.offset ? f.offset : uint32_t(dataStart)},
                                  {279, Long, f.byteCount}};
    if (f.layoutTags)
        entries.insert(entries.end(), {{258, Short, f.bits}, {277, Short, 1}, {278, Long, f.height}});
    // In ascending tag order, as TIFF wants.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.tag < b.tag; });

    QByteArray bytes("II*\0", 4);
    auto append = [&bytes](auto value) {
        const auto little = qToLittleEndian(value);
        bytes.append(reinterpret_cast<const char*>(&little), sizeof little);
    };
    append(uint32_t(8));
    append(uint16_t(entries.size()));
    for (const Entry& e : entries) {
        append(e.tag);
        append(e.type);
        append(uint32_t(1));
        // A short value sits in the first two of the four bytes.
        if (e.type == Short) {
            append(uint16_t(e.value));
            append(uint16_t(0));
        } else {
            append(e.value);
        }
    }
    append(uint32_t(0));
    const std::vector<unsigned char> data = patternLine(7, size_t(134 - bytes.size()));
    bytes.append(reinterpret_cast<const char*>(data.data()), int(data.size()));
    return {bytes, dataStart};
}

struct ForgedCase
{
    const char* name;
    ForgedStrip strip;
    const char* reason;  // null: the file opens; empty: refused in libtiff's words
};

using CTiffImgForged = CasesInAFolder<ForgedCase>;

TEST_P(CTiffImgForged, OpensOnlyWhatTheFileCanHold)
{
    ErrorHandlerSilencer silence;
    const ForgedCase c = GetParam();
    const ForgedFile forged = forgeTiff(c.strip);
    const QString path = dir.filePath(QStringLiteral("forged.tif"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(forged.bytes), 134);
    file.close();

    // The same object read another layout before: nothing of it may stay.
    const QByteArray previous = QFile::encodeName(dir.filePath(QStringLiteral("previous.tif")));
    CTiffImg img;
    ASSERT_TRUE(img.Create(previous.constData(), 2, 2, 8, CTiffImg::Additive, 3, 300, 300, false));
    for (uint32_t y = 0; y < 2; ++y)
        ASSERT_TRUE(img.WriteLine(patternLine(y, img.GetBytesPerLine()).data()));
    ASSERT_TRUE(img.Close());
    ASSERT_TRUE(img.Open(previous.constData())) << img.GetErrorText().toStdString();

    const TIFFErrorHandler warnings = TIFFSetWarningHandler(nullptr);
    const bool opened = img.Open(QFile::encodeName(path).constData());
    TIFFSetWarningHandler(warnings);
    if (!c.reason) {
        ASSERT_TRUE(opened) << img.GetErrorText().toStdString();
        EXPECT_EQ(img.GetWidth(), c.strip.width);
        EXPECT_EQ(img.GetSamples(), 1u);
        EXPECT_EQ(img.GetXRes(), 0.0f);
        if (c.strip.compression != COMPRESSION_NONE)
            return;
        const int lineBytes = int(img.GetBytesPerLine());
        std::vector<unsigned char> line(img.GetBytesPerLine());
        for (uint32_t y = 0; y < c.strip.height; ++y) {
            ASSERT_TRUE(img.ReadLine(line.data())) << "line " << y << ": " << img.GetErrorText().toStdString();
            EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(line.data()), lineBytes),
                      forged.bytes.mid(forged.dataStart + int(y) * lineBytes, lineBytes))
                << "line " << y;
        }
        return;
    }
    EXPECT_FALSE(opened);
    EXPECT_EQ(img.GetWidth(), 0u);
    const QString text = img.GetErrorText();
    EXPECT_TRUE(text.startsWith(path + ": Can not open input image: ")) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromLatin1(c.reason))) << text.toStdString();
}

constexpr bool kTags = true;
constexpr uint16_t kNone = COMPRESSION_NONE;
constexpr uint16_t kLzw = COMPRESSION_LZW;

INSTANTIATE_TEST_SUITE_P(
    Headers, CTiffImgForged,
    ::testing::Values(
        ForgedCase{"stored", {4, 3, 8, kNone, 0, 12, kTags}, nullptr},
        // One sample of one bit per pixel: a byte per line of four pixels.
        ForgedCase{"layoutLeftToDefaults", {4, 3, 8, kNone, 0, 3, !kTags}, nullptr},
        // libtiff cuts a stored strip into rows, each still larger than the file.
        ForgedCase{"fourGigabytesStored", {65535, 65535, 8, kNone, 0, 12, kTags},
                   "a strip of 65535 bytes is above the limit of 134 bytes"},
        ForgedCase{"storedStripLargerThanFile", {12, 12, 8, kNone, 0, 12, kTags}, "above the limit of 134 bytes"},
        ForgedCase{"fourGigabytesCompressed", {65535, 65535, 8, kLzw, 0, 12, kTags},
                   "a strip of 4294836225 bytes is above the limit of 67108864 bytes"},
        ForgedCase{"compressedAtTheLimit", {8192, 8192, 8, kLzw, 0, 12, kTags}, nullptr},
        ForgedCase{"compressedAboveTheLimit", {8192, 8193, 8, kLzw, 0, 12, kTags},
                   "a strip of 67117056 bytes is above the limit of 67108864 bytes"},
        ForgedCase{"countBeyondTheEnd", {4, 3, 8, kLzw, 0, 13, kTags}, "strip 0 of 13 bytes at offset 122 lies beyond"},
        ForgedCase{"offsetBeyondTheEnd", {4, 3, 8, kLzw, 123, 12, kTags},
                   "strip 0 of 12 bytes at offset 123 lies beyond"},
        ForgedCase{"offsetFarBeyondTheEnd", {4, 3, 8, kLzw, 0xfffffff8u, 12, kTags}, "lies beyond"},
        ForgedCase{"zeroWidth", {0, 3, 8, kNone, 0, 12, kTags}, ""},
        ForgedCase{"zeroBits", {4, 3, 0, kNone, 0, 12, kTags}, ""}),
    [](const ::testing::TestParamInfo<ForgedCase>& info) { return std::string(info.param.name); });

} // namespace
