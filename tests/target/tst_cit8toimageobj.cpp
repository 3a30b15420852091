#include "cit8toimageobj.h"
#include "targetfiles.h"

#include <gtest/gtest.h>

#include <climits>
#include <type_traits>
#include <vector>

static_assert(!std::is_copy_constructible<CIt8ToImageObj>::value, "a copy would share the image");
static_assert(!std::is_copy_assignable<CIt8ToImageObj>::value, "a copy would share the image");

namespace {

using Bytes = std::vector<int>;

// A target with NUMBER_OF_SETS matching its rows.
QByteArray target(const QByteArray& header, const QByteArray& fields, const QList<QByteArray>& rows)
{
    QByteArray text = "NUMBER_OF_SETS " + QByteArray::number(rows.size()) + "\n" + header
        + "\nBEGIN_DATA_FORMAT\n" + fields + "\nEND_DATA_FORMAT\nBEGIN_DATA\n";
    for (const QByteArray& row : rows)
        text += row + "\n";
    return text + "END_DATA\n";
}

// Sets P0, P1, ... with CMYK_C = the set index, M 100, Y 0, K 50.
QList<QByteArray> indexedRows(int sets)
{
    QList<QByteArray> rows;
    for (int i = 0; i < sets; ++i)
        rows << "P" + QByteArray::number(i) + " " + QByteArray::number(i) + " 100 0 50";
    return rows;
}

const QByteArray kCmykFields = "SAMPLE_ID CMYK_C CMYK_M CMYK_Y CMYK_K";

// The pixel at (x, line) of an image with the given width and channel count.
Bytes pixelAt(const CIt8ToImageObj& image, int width, int channels, int x, int line)
{
    const PixelExtend* first = image.GetTargetImage() + (line * width + x) * channels;
    return Bytes(first, first + channels);
}

class CIt8ToImageObjTest : public ::testing::Test
{
protected:
    // Writes the target and computes its colour table (blocks of one pixel).
    long Compute(CIt8ToImageObj*& image, const QByteArray& text, int perRow, int channels)
    {
        m_image.reset(new CIt8ToImageObj(m_files.Write(text)));
        image = m_image.get();
        return image->ComputeLinearizationChart(1, 1, perRow, channels);
    }

    TargetFiles m_files;
    std::unique_ptr<CIt8ToImageObj> m_image;
};

} // namespace

TEST_F(CIt8ToImageObjTest, LaysOutRowsOfPatchesFromTheBottomUp)
{
    struct LayoutCase
    {
        int sets;
        int perRow;
        int rows;
        int totalPatches;
    };
    const LayoutCase cases[] = {{10, 4, 3, 12}, {8, 4, 2, 8}, {1, 4, 1, 4}, {5, 1, 5, 5}};
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sets << " sets, " << c.perRow << " per row");
        CIt8ToImageObj* image = nullptr;
        ASSERT_EQ(Compute(image, target("", kCmykFields, indexedRows(c.sets)), c.perRow, 4), 1);
        EXPECT_EQ(image->GetTotalPatchCount(), c.totalPatches);
        EXPECT_EQ(image->GetPatchCountPerRow(), c.perRow);
        ASSERT_EQ(image->GetTargetImageSize(), 4 * c.perRow * c.rows);
        for (int row = 0; row < c.rows; ++row) {
            for (int column = 0; column < c.perRow; ++column) {
                const int set = row * c.perRow + column;
                const Bytes expected = set < c.sets ? Bytes{static_cast<int>(set * 2.55), 254, 0, 127} : Bytes(4, 0);
                EXPECT_EQ(pixelAt(*image, c.perRow, 4, column, c.rows - 1 - row), expected) << "set " << set;
            }
        }
    }
}

TEST_F(CIt8ToImageObjTest, FillsBlocksOfPixels)
{
    CIt8ToImageObj image(m_files.Write(target("", kCmykFields, indexedRows(3))));
    ASSERT_EQ(image.ComputeLinearizationChart(2, 3, 2, 1), 1);
    // Two rows of 3-line blocks, 2 pixels wide: set 2 on top, then the padding.
    const Bytes expected[6] = {{5, 5, 0, 0}, {5, 5, 0, 0}, {5, 5, 0, 0}, {0, 0, 2, 2}, {0, 0, 2, 2}, {0, 0, 2, 2}};
    ASSERT_EQ(image.GetTargetImageSize(), 24);
    for (int line = 0; line < 6; ++line)
        EXPECT_EQ(pixelAt(image, 1, 4, 0, line), expected[line]) << "line " << line;
}

TEST_F(CIt8ToImageObjTest, ScalesPercentagesTo254)
{
    const QByteArray values[] = {"100", "0", "50", "20", "10.196", "99.9", "200", "-10", "nan", "'12abc'"};
    const int bytes[] = {254, 0, 127, 51, 25, 254, 253, 231, 0, 30};
    QList<QByteArray> rows;
    for (const QByteArray& value : values)
        rows << "P" + QByteArray::number(rows.size()) + " " + value + " 0 0 0";
    CIt8ToImageObj* image = nullptr;
    ASSERT_EQ(Compute(image, target("", kCmykFields, rows), rows.size(), 1), 1);
    for (int i = 0; i < rows.size(); ++i)
        EXPECT_EQ(image->GetTargetImage()[i], bytes[i]) << values[i].constData();
}

TEST_F(CIt8ToImageObjTest, ReadsTheRgbModelUnscaledOnWhite)
{
    // The first patch has no CMYK_C text, so its red comes from RGB_R.
    const QByteArray text = target("INK_MODEL 'rgb'", "SAMPLE_ID CMYK_C RGB_R RGB_G RGB_B",
                                   {"P0 '\n 255 128 3.9", "P1 10 255 128 0"});
    CIt8ToImageObj* image = nullptr;
    ASSERT_EQ(Compute(image, text, 3, 4), 1);
    EXPECT_EQ(pixelAt(*image, 3, 4, 0, 0), (Bytes{255, 128, 3, 255}));
    EXPECT_EQ(pixelAt(*image, 3, 4, 1, 0), (Bytes{10, 128, 0, 255}));
    EXPECT_EQ(pixelAt(*image, 3, 4, 2, 0), (Bytes{255, 255, 255, 255}));
}

TEST_F(CIt8ToImageObjTest, WritesTheChannelsOfEachInkModel)
{
    const QByteArray fields = "SAMPLE_ID CMYK_C CMYK_M CMYK_Y CMYK_K CMYK_A CMYK_B CMYK_D CMYK_E CMYK_RGB_R "
                              "CMYK_RGB_G CMYK_RGB_B CMYK_RGB_O CMYK_GLOSSY CMYK_4GRAY";
    const QByteArray row = "P0 10 20 30 40 50 60 70 80 90 100 5 15 25 35";
    struct ModelCase
    {
        QByteArray header;
        int modelChannels; // what the model provides
        int channels;
        Bytes further; // bytes 4 and up
    };
    const ModelCase cases[] = {
        {"INK_MODEL CMYK", 4, 11, {0, 0, 0, 0, 0, 0, 0}},
        {"", 4, 11, {0, 0, 0, 0, 0, 0, 0}},
        {"INK_MODEL Hexachrome", 4, 11, {0, 0, 0, 0, 0, 0, 0}},
        {"INK_MODEL CMYKcm", 6, 11, {127, 153, 0, 0, 0, 0, 0}},
        {"INK_MODEL 'cmykCM'", 6, 11, {127, 153, 0, 0, 0, 0, 0}},
        {"INK_MODEL CMYKcmk", 7, 11, {127, 153, 178, 0, 0, 0, 0}},
        {"INK_MODEL CMYKcmkn", 8, 11, {127, 153, 178, 204, 0, 0, 0}},
        {"INK_MODEL CMYKcmknRGB", 11, 11, {127, 153, 178, 204, 229, 254, 12}},
        {"INK_MODEL CMYKmknRGB", 10, 11, {153, 178, 204, 229, 254, 12, 0}},
        {"INK_MODEL CMYKmknRGBG", 11, 11, {153, 178, 204, 229, 254, 12, 63}},
        {"INK_MODEL CMYKmknRGBM", 11, 11, {153, 178, 204, 229, 254, 12, 63}},
        {"INK_MODEL CMYKcmknOG", 10, 11, {127, 153, 178, 204, 38, 254, 0}},
        {"INK_MODEL CMYKcmOG", 10, 11, {127, 153, 0, 0, 38, 254, 0}},
        {"INK_MODEL CMYKcmOG", 10, 10, {127, 153, 0, 0, 38, 254}},
        {"INK_MODEL CMYKkRGB", 11, 11, {0, 0, 178, 0, 229, 254, 12}},
        {"INK_MODEL CMYKRB", 11, 11, {0, 0, 178, 0, 229, 0, 12}},
        {"INK_MODEL CMYKcmkn", 8, 4, {}},
    };
    for (const ModelCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.header.constData() << ", " << c.channels << " channels");
        CIt8ToImageObj* image = nullptr;
        ASSERT_EQ(Compute(image, target(c.header, fields, {row}), 1, c.channels), 1);
        ASSERT_EQ(image->GetTargetImageSize(), c.channels);
        Bytes expected{25, 51, 76, 102};
        expected.insert(expected.end(), c.further.begin(), c.further.end());
        EXPECT_EQ(pixelAt(*image, 1, c.channels, 0, 0), expected);
        EXPECT_EQ(image->GetTargetChannelCount(), c.modelChannels);
        EXPECT_EQ(image->GetSetCount(), 1);
    }
}

TEST_F(CIt8ToImageObjTest, NamesTheInkOfEachChannel)
{
    const QByteArray fields = "SAMPLE_ID CMYK_C CMYK_M CMYK_Y CMYK_K CMYK_A CMYK_B CMYK_D CMYK_E CMYK_RGB_R "
                              "CMYK_RGB_G CMYK_RGB_B CMYK_RGB_O CMYK_GLOSSY ChannellID";
    const QList<QByteArray> rows = {"P0 1 2 3 4 5 6 7 8 9 10 11 12 13 D", "P1 1 2 3 4 5 6 7 8 9 10 11 12 13 B"};
    const std::pair<QByteArray, const char*> cases[] = {
        {target("INK_MODEL CMYK", fields, rows), "CMYK"},
        {target("INK_MODEL CMYKcm", fields, rows), "CMYKcm"},
        {target("INK_MODEL CMYKcmk", fields, rows), "CMYKcmk"},
        {target("INK_MODEL CMYKcmkn", fields, rows), "CMYKcmkn"},
        {target("INK_MODEL CMYKcmknRGB", fields, rows), "CMYKcmknRGB"},
        {target("INK_MODEL CMYKmknRGB", fields, rows), "CMYKmknRGB"},
        {target("INK_MODEL CMYKmknRGBG", fields, rows), "CMYKmknRGBx"},
        {target("INK_MODEL CMYKcmknOG", fields, rows), "CMYKcmknOG"},
        {target("INK_MODEL CMYKcmOG", fields, rows), "CMYKcmxxOG"},
        {target("INK_MODEL CMYKkRGB", fields, rows), "CMYKxxkxRGB"},
        {target("INK_MODEL CMYKRB", fields, rows), "CMYKxxkxRxB"},
        // Each patch names its model: the first patch's stands for the chart.
        {target("", fields, rows), "CMYKcmk"},
        {target("INK_MODEL RGB", "SAMPLE_ID RGB_R RGB_G RGB_B", {"P0 1 2 3"}), ""},
        {target("", "SAMPLE_ID 3CLR_1 3CLR_2 3CLR_3", {"P0 1 2 3"}), "xxx"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first.left(40).constData());
        CIt8ToImageObj* image = nullptr;
        ASSERT_EQ(Compute(image, c.first, 1, 4), 1);
        EXPECT_EQ(image->GetInkLetters(), QString::fromLatin1(c.second));
    }
}

TEST_F(CIt8ToImageObjTest, WritesFurtherChannelsOnlyWhenAllOfThemRead)
{
    struct FurtherCase
    {
        QByteArray header;
        QByteArray fields;
        QByteArray row;
        int channels;
        Bytes expected;
    };
    const FurtherCase cases[] = {
        {"INK_MODEL CMYKcm", kCmykFields + " CMYK_A", "P0 10 20 30 40 50", 6, {25, 51, 76, 102, 0, 0}},
        // A field beyond the channel count must read too, though it is not written.
        {"INK_MODEL CMYKcmkn", kCmykFields + " CMYK_A CMYK_B CMYK_D", "P0 10 20 30 40 50 60 70", 5,
         {25, 51, 76, 102, 0}},
        {"INK_MODEL CMYKcmkn", kCmykFields + " CMYK_A CMYK_B CMYK_D CMYK_E", "P0 10 20 30 40 50 60 70 80", 5,
         {25, 51, 76, 102, 127}},
        {"INK_MODEL CMYKmknRGBG", kCmykFields + " CMYK_B CMYK_D CMYK_E CMYK_RGB_R CMYK_RGB_G CMYK_RGB_B CMYK_4GRAY",
         "P0 10 20 30 40 60 70 80 90 100 5 35", 11, {25, 51, 76, 102, 153, 178, 204, 229, 254, 12, 89}},
    };
    for (const FurtherCase& c : cases) {
        SCOPED_TRACE(c.fields.constData());
        CIt8ToImageObj* image = nullptr;
        ASSERT_EQ(Compute(image, target(c.header, c.fields, {c.row}), 1, c.channels), 1);
        EXPECT_EQ(pixelAt(*image, 1, c.channels, 0, 0), c.expected);
    }
}

TEST_F(CIt8ToImageObjTest, TakesEachPatchLetterFromChannellId)
{
    // Letters compare case-sensitively; a patch without a letter ends its column.
    const QByteArray text = target("", kCmykFields + " CMYK_A CMYK_B CMYK_D CMYK_E ChannellID",
                                   {"P0 10 20 30 40 50 60 70 80 B", "P1 10 20 30 40 50 60 70 80 C",
                                    "P2 10 20 30 40 50 60 70 80 Z", "P3 10 20 30 40 50 60 70 80 'b'",
                                    "P4 10 20 30 40 50 60 70 80 '\n"});
    CIt8ToImageObj* image = nullptr;
    ASSERT_EQ(Compute(image, text, 5, 8), 1);
    const Bytes expected[] = {{25, 51, 76, 102, 127, 153, 0, 0},
                              {25, 51, 76, 102, 0, 0, 0, 0},
                              {25, 51, 76, 102, 127, 153, 178, 204},
                              {25, 51, 76, 102, 0, 0, 0, 0},
                              Bytes(8, 0)};
    for (int set = 0; set < 5; ++set)
        EXPECT_EQ(pixelAt(*image, 5, 8, set, 0), expected[set]) << "set " << set;
}

TEST_F(CIt8ToImageObjTest, AnUnreadablePatchEndsItsColumnUnlessTheImageIsPadded)
{
    for (const int sets : {12, 11}) {
        SCOPED_TRACE(testing::Message() << sets << " sets");
        QList<QByteArray> rows = indexedRows(sets);
        rows[6] = "P6 6 100 0 '\n"; // row 1, column 2, without CMYK_K
        CIt8ToImageObj* image = nullptr;
        ASSERT_EQ(Compute(image, target("", kCmykFields, rows), 4, 4), 1);
        for (int set = 0; set < 12; ++set) {
            const bool blank = set == 6 || set >= sets || (sets == 12 && set == 10);
            const Bytes expected = blank ? Bytes(4, 0) : Bytes{static_cast<int>(set * 2.55), 254, 0, 127};
            EXPECT_EQ(pixelAt(*image, 4, 4, set % 4, 2 - set / 4), expected) << "set " << set;
        }
    }
}

TEST_F(CIt8ToImageObjTest, TakesEachPatchFromItsOwnSet)
{
    // Sets that share a name (a01 and A1 normalise alike) keep their own values,
    // their ink letters included; a set without a name in field 0 still ends its column.
    const QByteArray text = target("", "SAMPLEID CMYK_C CMYK_M CMYK_Y CMYK_K CMYK_A CMYK_B ChannellID",
                                   {"a01 10 0 0 0 50 60 B", "A1 20 0 0 0 50 60 C", "B 30 0 0 0 50 60 B",
                                    "'\n 40 0 0 0 50 60 B"});
    CIt8ToImageObj* image = nullptr;
    ASSERT_EQ(Compute(image, text, 4, 6), 1);
    EXPECT_EQ(pixelAt(*image, 4, 6, 0, 0), (Bytes{25, 0, 0, 0, 127, 153}));
    EXPECT_EQ(pixelAt(*image, 4, 6, 1, 0), (Bytes{51, 0, 0, 0, 0, 0}));
    EXPECT_EQ(pixelAt(*image, 4, 6, 2, 0), (Bytes{76, 0, 0, 0, 127, 153}));
    EXPECT_EQ(pixelAt(*image, 4, 6, 3, 0), Bytes(6, 0));
}

TEST_F(CIt8ToImageObjTest, ReadsMultiColourChannelFieldsInTheirOwnOrder)
{
    struct MultiColourCase
    {
        QByteArray header;
        QByteArray fields;
        QByteArray row;
        int channels;
        Bytes expected;
    };
    const MultiColourCase cases[] = {
        // Byte i - 1 holds nCLR_i, wherever the field stands; bytes beyond n stay background.
        {"", "SAMPLE_ID 3CLR_2 3clr_1 3CLR_3 LAB_L", "P0 20 10 30 99", 4, {25, 51, 76, 0}},
        {"", "SAMPLE_ID 3CLR_1 3CLR_2 3CLR_3", "P0 10 20 30", 2, {25, 51}},
        {"", "SAMPLE_ID 7CLR_1 7CLR_2 7CLR_3 7CLR_4 7CLR_5 7CLR_6 7CLR_7", "P0 10 20 30 40 50 60 100", 7,
         {25, 51, 76, 102, 127, 153, 254}},
        // Of two complete sets of fields, the one with more channels.
        {"", "SAMPLE_ID 1CLR_1 2CLR_1 2CLR_2", "P0 10 20 30", 2, {51, 76}},
        // The fields feed the pixel only when nothing else names the channels.
        {"", "SAMPLE_ID CMYK_C CMYK_M CMYK_Y CMYK_K 2CLR_1 2CLR_2", "P0 10 20 30 40 50 60", 4, {25, 51, 76, 102}},
        {"INK_MODEL CMYK", "SAMPLE_ID 2CLR_1 2CLR_2", "P0 10 20", 2, {}},
        {"", "SAMPLE_ID 2CLR_1 2CLR_2 ChannellID", "P0 10 20 C", 2, {}},
        {"", "SAMPLE_ID 3CLR_1 3CLR_3", "P0 10 20", 2, {}},
    };
    for (const MultiColourCase& c : cases) {
        SCOPED_TRACE(c.header.constData() + std::string(" / ") + c.fields.constData());
        CIt8ToImageObj* image = nullptr;
        ASSERT_EQ(Compute(image, target(c.header, c.fields, {c.row}), 1, c.channels), c.expected.empty() ? 0 : 1);
        if (!c.expected.empty()) {
            EXPECT_EQ(pixelAt(*image, 1, c.channels, 0, 0), c.expected);
        }
    }
}

TEST_F(CIt8ToImageObjTest, CountsTheChannelsTheTargetProvides)
{
    const std::pair<QByteArray, int> cases[] = {
        {target("INK_MODEL RGB", "SAMPLE_ID RGB_R RGB_G RGB_B", {"P0 1 2 3"}), 3},
        {target("", "SAMPLE_ID 5CLR_1 5CLR_2 5CLR_3 5CLR_4 5CLR_5", {"P0 1 2 3 4 5"}), 5},
        {target("", kCmykFields + " ChannellID", {"P0 1 2 3 4 B"}), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first.constData());
        CIt8ToImageObj* image = nullptr;
        ASSERT_EQ(Compute(image, c.first, 1, 4), 1);
        EXPECT_EQ(image->GetTargetChannelCount(), c.second);
    }
}

TEST_F(CIt8ToImageObjTest, SaysWhyATargetGivesNoImage)
{
    struct ReasonCase
    {
        QByteArray text;
        QString reason;
    };
    const ReasonCase cases[] = {
        {target("", "SAMPLE_ID LAB_L", {"P0 50"}), "no patch can be read: each needs a value in CMYK_C, CMYK_M, "
                                                   "CMYK_Y and CMYK_K"},
        {target("INK_MODEL RGB", "SAMPLE_ID LAB_L", {"P0 50"}),
         "each needs a value in CMYK_C or RGB_R, CMYK_M or RGB_G and CMYK_Y or RGB_B"},
        {target("", kCmykFields + " ChannellID", {"P0 1 2 3 4 '\n"}), "CMYK_K and ChannellID"},
        {target("", "SAMPLE_ID 5CLR_1 5CLR_2 5CLR_3 5CLR_4 5CLR_5", {"P0 1 2 3 '\n 5"}),
         "each needs a value in 5CLR_1, 5CLR_2, 5CLR_3 and 5CLR_4"},
        // The first NUMBER_OF_SETS wins.
        {"NUMBER_OF_SETS 3\n" + target("", kCmykFields, indexedRows(2)),
         "the data holds 2 complete sets, NUMBER_OF_SETS declares 3"},
    };
    for (const ReasonCase& c : cases) {
        SCOPED_TRACE(c.text.constData());
        CIt8ToImageObj* image = nullptr;
        ASSERT_EQ(Compute(image, c.text, 4, 4), 0);
        EXPECT_TRUE(image->GetErrorText().contains(c.reason)) << image->GetErrorText().toStdString();
    }
    const QString missingPath = m_files.Write("x") + "-missing";
    CIt8ToImageObj missing(missingPath);
    EXPECT_EQ(missing.ComputeLinearizationChart(1, 1, 4, 4), 0);
    EXPECT_EQ(missing.GetErrorText(), missingPath + ": the file cannot be read or is empty");
    CIt8ToImageObj* image = nullptr;
    ASSERT_EQ(Compute(image, target("", kCmykFields, indexedRows(2)), 4, 4), 1);
    EXPECT_EQ(image->GetErrorText(), QString());
}

TEST_F(CIt8ToImageObjTest, OpensTargetsWhosePathIsNotAscii)
{
    const QString path = m_files.Write(target("", kCmykFields, indexedRows(2)));
    const QString renamed = path + QString::fromUtf8("-zielfarbe-\xc3\xbc.txt");
    ASSERT_TRUE(QFile::rename(path, renamed));
    CIt8ToImageObj image(renamed);
    EXPECT_EQ(image.ComputeLinearizationChart(1, 1, 2, 4), 1);
}

TEST_F(CIt8ToImageObjTest, TakesTheRowLengthFromTheTarget)
{
    CIt8ToImageObj* image = nullptr;
    ASSERT_EQ(Compute(image, target("LGOROWLENGTH 3", kCmykFields, indexedRows(7)), -1, 4), 1);
    EXPECT_EQ(image->GetPatchCountPerRow(), 3);
    EXPECT_EQ(image->GetTotalPatchCount(), 9);
    long width = 0;
    long height = 0;
    EXPECT_EQ(CIt8ToImageObj::MeasureOfLinearizationChart(QFile::encodeName(m_files.Write(target(
                                                              "LGOROWLENGTH 3", kCmykFields, indexedRows(10))))
                                                              .constData(),
                                                          5, 7, width, height, -1),
              1);
    EXPECT_EQ(width, 15);
    EXPECT_EQ(height, 28);
}

TEST_F(CIt8ToImageObjTest, FailsWhenNoPatchCanBeReadAndKeepsThePreviousImage)
{
    const QString path = m_files.Write(target("", kCmykFields, indexedRows(3)));
    CIt8ToImageObj image(path);
    ASSERT_EQ(image.ComputeLinearizationChart(1, 1, 3, 4), 1);
    const PixelExtend* previous = image.GetTargetImage();

    const QByteArray unreadable[] = {
        target("", "SAMPLE_ID CMYK_C CMYK_M CMYK_Y", {"P0 1 2 3", "P1 1 2 3"}),
        target("INK_MODEL Hexachrome", kCmykFields + " ChannellID", {"P0 1 2 3 4 '\n", "P1 1 2 3 4 '\n"}),
        target("", kCmykFields, {}),
    };
    for (const QByteArray& text : unreadable) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        file.close();
        EXPECT_EQ(image.ComputeLinearizationChart(1, 1, 3, 4), 0) << text.constData();
        EXPECT_EQ(image.GetTargetImage(), previous);
        EXPECT_EQ(image.GetTargetImageSize(), 12);
    }

    // A patch of 0 % is a patch like any other.
    CIt8ToImageObj* blank = nullptr;
    EXPECT_EQ(Compute(blank, target("", kCmykFields, {"P0 0 0 0 0"}), 1, 4), 1);
}

TEST_F(CIt8ToImageObjTest, RefusesTargetsItCannotLayOut)
{
    struct BadCase
    {
        QByteArray header;
        int perRow;
        long patchWidth;
        long patchHeight;
    };
    const QByteArray data = "BEGIN_DATA_FORMAT\n" + kCmykFields + "\nEND_DATA_FORMAT\nBEGIN_DATA\nP0 1 2 3 4\nEND_DATA\n";
    const BadCase cases[] = {
        {"", 4, 1, 1},
        {"NUMBER_OF_SETS 0", 4, 1, 1},
        {"NUMBER_OF_SETS -5", 4, 1, 1},
        {"NUMBER_OF_SETS abc", 4, 1, 1},
        {"NUMBER_OF_SETS 1", -1, 1, 1},
        {"NUMBER_OF_SETS 1 LGOROWLENGTH 0", -1, 1, 1},
        {"NUMBER_OF_SETS 1 LGOROWLENGTH -3", -1, 1, 1},
        {"NUMBER_OF_SETS 1", 0, 1, 1},
        {"NUMBER_OF_SETS 1 NUMBER_OF_FIELDS -1", 4, 1, 1},
        {"NUMBER_OF_SETS 1", 4, 0, 1},
        {"NUMBER_OF_SETS 1", 4, 1, -1},
        {"NUMBER_OF_SETS 1", 4, LONG_MAX, 1},
        {"NUMBER_OF_SETS 2147483647", 2, 1, 1},
        {"NUMBER_OF_SETS 2147483647", 1, 1, 2},
        {"NUMBER_OF_SETS 1", 1073741824, 2, 1},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.header.constData() << " / " << c.perRow << " per row, blocks "
                                                               << c.patchWidth << " x " << c.patchHeight);
        const QString path = m_files.Write(c.header + "\n" + data);
        CIt8ToImageObj image(path);
        EXPECT_EQ(image.ComputeLinearizationChart(c.patchWidth, c.patchHeight, c.perRow, 4), 0);
        EXPECT_EQ(image.GetTargetImage(), nullptr);
        EXPECT_EQ(image.GetTotalPatchCount(), 0);
        long width = -1;
        long height = -1;
        EXPECT_EQ(CIt8ToImageObj::MeasureOfLinearizationChart(QFile::encodeName(path).constData(), c.patchWidth,
                                                              c.patchHeight, width, height, c.perRow),
                  0);
        EXPECT_EQ(width, -1);
    }

    // Channel counts and image sizes beyond any colour table.
    CIt8ToImageObj* image = nullptr;
    EXPECT_EQ(Compute(image, "NUMBER_OF_SETS 1\n" + data, 4, 0), 0);
    EXPECT_EQ(Compute(image, "NUMBER_OF_SETS 100000000\n" + data, 10000, 16), 0);
    EXPECT_EQ(image->GetTargetImage(), nullptr);
    CIt8ToImageObj missing(m_files.Write("x") + "-missing");
    EXPECT_EQ(missing.ComputeLinearizationChart(1, 1, 4, 4), 0);
}
