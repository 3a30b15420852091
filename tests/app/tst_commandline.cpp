#include "commandline.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

QStringList words(std::initializer_list<const char*> list)
{
    QStringList out;
    for (const char* w : list)
        out << QString::fromUtf8(w);
    return out;
}

QStringList allThirteen()
{
    return words({"-accellpath", "/sdk", "-it8", "/t/a.it8", "-tiffoutput", "/t/out.tif", "-patchperrow", "12",
                  "-patchsizex", "8", "-patchsizey", "6", "-papersizex", "320", "-papersizey", "450", "-numcolor",
                  "4", "-numpatch", "96", "-prnconntype", "3", "-prnaddr", "10.0.0.7", "-prnmodel", "ILS30EP"});
}

TEST(CommandLine, ThirteenDistinctOptionsFillEveryField)
{
    const CommandLine cl(allThirteen());
    EXPECT_TRUE(cl.isComplete());
    EXPECT_EQ(cl.valueCount(), 13);
    const RunOptions& o = cl.options();
    EXPECT_EQ(o.accelPath, "/sdk");
    EXPECT_EQ(o.it8File, "/t/a.it8");
    EXPECT_EQ(o.outputTiff, "/t/out.tif");
    EXPECT_EQ(o.patchPerRow, 12);
    EXPECT_EQ(o.patchSizeX, 8);
    EXPECT_EQ(o.patchSizeY, 6);
    EXPECT_EQ(o.paperSizeX, 320u);
    EXPECT_EQ(o.paperSizeY, 450u);
    EXPECT_EQ(o.numColor, 4);
    EXPECT_EQ(o.numPatch, 96);
    EXPECT_EQ(o.prnConnType, 3);
    EXPECT_EQ(o.prnAddr, "10.0.0.7");
    EXPECT_EQ(o.prnModel, "ILS30EP");
}

TEST(CommandLine, RepetitionsCountAndOverwrite)
{
    QStringList list;
    for (int i = 0; i < 13; ++i)
        list << "-numcolor" << QString::number(i);
    const CommandLine cl(list);
    EXPECT_TRUE(cl.isComplete());
    EXPECT_EQ(cl.options().numColor, 12);
    EXPECT_EQ(cl.options().patchPerRow, 0);
    EXPECT_TRUE(cl.options().it8File.isEmpty());
}

struct WordCase
{
    const char* name;
    QStringList words;
    int expectedCount;
    QString expectedIt8;
};

class CommandLineWords : public ::testing::TestWithParam<WordCase>
{
};

TEST_P(CommandLineWords, MatchWholeWordsAndTakeAnyValue)
{
    const WordCase& c = GetParam();
    const CommandLine cl(c.words);
    EXPECT_EQ(cl.valueCount(), c.expectedCount);
    EXPECT_EQ(cl.options().it8File, c.expectedIt8);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLineWords,
    ::testing::Values(WordCase{"empty", {}, 0, QString()},
                      WordCase{"optionAsLastWord", words({"-numcolor", "4", "-it8"}), 1, QString()},
                      WordCase{"wrongCase", words({"-IT8", "x.it8"}), 0, QString()},
                      WordCase{"longerWord", words({"-it8x", "x.it8"}), 0, QString()},
                      WordCase{"valueIsAnOption", words({"-it8", "-tiffoutput", "out.tif"}), 1, "-tiffoutput"},
                      WordCase{"strayWordsSkippedOneByOne", words({"a", "b", "-it8", "t.it8", "c"}), 1, "t.it8"},
                      WordCase{"laterValueWins", words({"-it8", "a", "-it8", "b"}), 2, "b"},
                      WordCase{"utf8Value", words({"-it8", "/tmp/f\xc3\xa4rg.it8"}), 1,
                               QString::fromUtf8("/tmp/f\xc3\xa4rg.it8")}),
    [](const ::testing::TestParamInfo<WordCase>& info) { return std::string(info.param.name); });

struct IntegerCase
{
    const char* text;
    int32_t expected;
};

class CommandLineInteger : public ::testing::TestWithParam<IntegerCase>
{
};

TEST_P(CommandLineInteger, ReadsLikeAtoiButClamps)
{
    EXPECT_EQ(CommandLine::toInteger(QString::fromLatin1(GetParam().text)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLineInteger,
    ::testing::Values(IntegerCase{"12", 12}, IntegerCase{"12mm", 12}, IntegerCase{"abc", 0}, IntegerCase{"", 0},
                      IntegerCase{"  \t\n42", 42}, IntegerCase{"+7", 7}, IntegerCase{"-7", -7},
                      IntegerCase{"- 7", 0}, IntegerCase{"--7", 0}, IntegerCase{"007", 7},
                      IntegerCase{"2147483647", INT_MAX}, IntegerCase{"2147483648", INT_MAX},
                      IntegerCase{"-2147483648", INT_MIN}, IntegerCase{"-2147483649", INT_MIN},
                      IntegerCase{"99999999999999999999999999", INT_MAX},
                      IntegerCase{"-99999999999999999999999999", INT_MIN}));

struct PaperCase
{
    const char* text;
    uint32_t expected;
};

class CommandLinePaperSize : public ::testing::TestWithParam<PaperCase>
{
};

TEST_P(CommandLinePaperSize, WrapsToUnsigned)
{
    const CommandLine cl(words({"-papersizex", GetParam().text, "-papersizey", GetParam().text}));
    EXPECT_EQ(cl.options().paperSizeX, GetParam().expected);
    EXPECT_EQ(cl.options().paperSizeY, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, CommandLinePaperSize,
                         ::testing::Values(PaperCase{"-1", 4294967295u}, PaperCase{"320", 320u},
                                           PaperCase{"-2147483648", 2147483648u},
                                           PaperCase{"5000000000", 2147483647u}));

TEST(CommandLine, OptionLogLinesInOrder)
{
    const QStringList lines = CommandLine(allThirteen()).options().logLines();
    const QStringList expected = {"accelPath: /sdk", "it8File: /t/a.it8", "outputTiff: /t/out.tif",
                                  "patchperRow: 12", "patchsizex: 8", "patchsizey: 6", "pagesizex: 320",
                                  "pagesizey: 450", "colornum: 4", "patchnum: 96", "prnconnTye: 3",
                                  "prnAddr: 10.0.0.7", "prnModel: ILS30EP"};
    EXPECT_EQ(lines, expected);
}

TEST(CommandLine, UsageTextIsTheFourteenPieces)
{
    const QString usage = CommandLine::usageText();
    EXPECT_TRUE(usage.startsWith("lumetra usage \n\t-accellpath: accell sdk path \n"));
    EXPECT_TRUE(usage.endsWith("\t-prnmodel: printer model (es. LF Pro 7900) \n"));
    EXPECT_EQ(usage.count('\n'), 14);
    EXPECT_TRUE(usage.contains("\t-prnconntype: printer connection type (3 TCP, 4 USB, 6 AUTO)\n"));
    EXPECT_TRUE(usage.contains("\t-tiffoutput:  output file complete path\n"));
}

} // namespace
