#include "accelmeasparams_st.h"
#include "measurecommandline.h"
#include "qstringprinter.h"
#include "runpreflight.h"
#include "simfolder.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace {

QStringList required()
{
    return {"-accellpath", "/sdk", "-it8", "t.it8", "-patchperrow", "10", "-patchsizex", "8", "-patchsizey", "6",
            "-papersizex", "320", "-papersizey", "450", "-numcolor", "4", "-numpatch", "20", "-prnconntype", "3",
            "-prnaddr", "127.0.0.1", "-prnmodel", "ILS30EP"};
}

TEST(MeasurementCommandLine, ReadsTheChartOptionsAndItsOwn)
{
    const MeasureCommandLine cl(required() + QStringList{"-pages", "3", "-offsetx", "-5", "-offsety", "7mm",
                                                         "-measuretype", "2", "-calibtype", "3", "-takeup", "0",
                                                         "-drytype", "0", "-drytime", "40", "-uvfilter", "1", "-m0",
                                                         "0", "-mode", "1", "-prefix", "-it8", "-datafolder", "/d",
                                                         "-timeout", "9", "-verbose", "1"});
    EXPECT_TRUE(cl.missingOptions().isEmpty());
    EXPECT_TRUE(cl.refusal().isEmpty());
    const MeasureOptions& o = cl.options();
    EXPECT_EQ(o.run.it8File, "t.it8");
    EXPECT_EQ(o.run.paperSizeY, 450u);
    EXPECT_EQ((std::vector<int>{o.pages, o.offsetX, o.offsetY, o.measureType, o.calibType, o.takeUp, o.dryType,
                                o.dryTime, o.uvFilter, o.m0, o.mode, o.timeoutSeconds, o.verbose}),
              (std::vector<int>{3, -5, 7, 2, 3, 0, 0, 40, 1, 0, 1, 9, 1}));
    EXPECT_EQ(o.prefix, "-it8") << "the word after an option is its value";
    EXPECT_EQ(o.dataFolder, "/d");
}

TEST(MeasurementCommandLine, DefaultsAreThoseOfANewPage)
{
    const MeasureOptions o = MeasureCommandLine(required()).options();
    EXPECT_EQ((std::vector<int>{o.pages, o.offsetX, o.offsetY, o.measureType, o.calibType, o.takeUp, o.dryType,
                                o.dryTime, o.uvFilter, o.m0, o.mode, o.timeoutSeconds, o.verbose}),
              (std::vector<int>{1, 0, 0, 0, 1, 1, 1, 0, 0, 1, 0, 600, 0}));
    EXPECT_TRUE(o.prefix.isEmpty());
    EXPECT_TRUE(o.dataFolder.isEmpty());
}

struct MissingCase
{
    const char* name;
    QStringList words;
    QStringList missing;
};

class MeasurementCommandLineMissing : public ::testing::TestWithParam<MissingCase>
{
};

TEST_P(MeasurementCommandLineMissing, EveryChartOptionButTheTiffIsRequired)
{
    EXPECT_EQ(MeasureCommandLine(GetParam().words).missingOptions(), GetParam().missing);
}

QStringList without(const char* option)
{
    QStringList words = required();
    const int at = words.indexOf(QString::fromLatin1(option));
    words.erase(words.begin() + at, words.begin() + at + 2);
    return words;
}

QStringList allButTheTiff()
{
    QStringList words = CommandLine::optionWords();
    words.removeOne(QStringLiteral("-tiffoutput"));
    return words;
}

INSTANTIATE_TEST_SUITE_P(
    Table, MeasurementCommandLineMissing,
    ::testing::Values(MissingCase{"tiffOutputOptional", required(), {}},
                      MissingCase{"noIt8", without("-it8"), {"-it8"}},
                      MissingCase{"it8AsLastWord", without("-it8") + QStringList{"-it8"}, {"-it8"}},
                      MissingCase{"nothing", {}, allButTheTiff()}),
    [](const ::testing::TestParamInfo<MissingCase>& info) { return std::string(info.param.name); });

struct RefusalCase
{
    const char* option;
    const char* value;
    QString refusal;
};

class MeasurementCommandLineRefusal : public ::testing::TestWithParam<RefusalCase>
{
};

TEST_P(MeasurementCommandLineRefusal, ValuesOutsideTheirChoices)
{
    const MeasureCommandLine cl(required() + QStringList{GetParam().option, GetParam().value});
    EXPECT_EQ(cl.refusal(), GetParam().refusal);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MeasurementCommandLineRefusal,
    ::testing::Values(
        RefusalCase{"-pages", "0", "Invalid option -pages 0: the value must lie between 1 and 10000"},
        RefusalCase{"-pages", "10001", "Invalid option -pages 10001: the value must lie between 1 and 10000"},
        RefusalCase{"-measuretype", "5", "Invalid option -measuretype 5: the value must lie between 0 and 4"},
        RefusalCase{"-calibtype", "-1", "Invalid option -calibtype -1: the value must lie between 0 and 3"},
        RefusalCase{"-takeup", "2", "Invalid option -takeup 2: the value must lie between 0 and 1"},
        RefusalCase{"-drytime", "101", "Invalid option -drytime 101: the value must lie between 0 and 100"},
        RefusalCase{"-timeout", "0", "Invalid option -timeout 0: the value must lie between 1 and 2147483"},
        RefusalCase{"-verbose", "2", "Invalid option -verbose 2: the value must lie between 0 and 1"},
        RefusalCase{"-mode", "-7", QString()}, RefusalCase{"-offsetx", "-40", QString()}));

TEST(MeasurementCommandLine, JobMapCarriesEveryPageSetting)
{
    MeasureOptions o = MeasureCommandLine(required()).options();
    o.pages = 2;
    o.offsetX = 12;
    o.offsetY = -3;
    o.measureType = 3;
    o.calibType = 2;
    o.takeUp = 0;
    o.dryType = 0;
    o.dryTime = 55;
    o.uvFilter = 1;
    o.m0 = 0;
    // As a target of 20 patches lays out at 7 per row, not as -patchperrow and -numpatch say.
    o.patchesPerRow = 7;
    o.totalPatchCount = 21;
    accelMeasParams_st job;
    job.fromMap(o.jobMap());
    ASSERT_EQ(job.pages.size(), 2);
    EXPECT_EQ(job.getPageWidth(3), 320);
    EXPECT_EQ(job.getPageHeight(3), 450);
    for (const accelParams_st* page : job.pages) {
        EXPECT_EQ(page->getIt8FilePath(), "t.it8");
        EXPECT_EQ((std::vector<int>{page->getPatchCountPerRow(), page->getPatchSizeX(3), page->getPatchSizeY(3),
                                    page->getNumChannels(), page->getTotalPatchCount(), page->getOffsetX(3),
                                    page->getOffsetY(3), page->getMeasureType(), page->getCalibType(),
                                    page->getTakeUp(), page->getDryType(), page->getDryTime(), page->getUVFilter(),
                                    page->getMm0()}),
                  (std::vector<int>{7, 8, 6, 4, 21, 12, -3, 3, 2, 0, 0, 55, 1, 0}));
    }
}

struct LayoutCase
{
    const char* patchPerRow;
    const char* header;
    int patchesPerRow;
    int totalPatchCount;
};

class MeasurementTargetLayout : public ::testing::TestWithParam<LayoutCase>
{
};

// The driver measures whole rows: a target of 20 patches is measured as the chart lays it out.
TEST_P(MeasurementTargetLayout, PagesTakeTheTargetsRows)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    const QString it8 = writeTarget(work.filePath("t.it8"), "CMYK", {"CMYK_C", "CMYK_M", "CMYK_Y", "CMYK_K"}, 20,
                                    GetParam().header);
    MeasureOptions o =
        MeasureCommandLine(required() + QStringList{"-it8", it8, "-patchperrow", GetParam().patchPerRow}).options();
    ASSERT_EQ(o.layOutTarget(), QString());
    EXPECT_EQ(o.patchesPerRow, GetParam().patchesPerRow);
    EXPECT_EQ(o.totalPatchCount, GetParam().totalPatchCount);
}

INSTANTIATE_TEST_SUITE_P(Table, MeasurementTargetLayout,
                         ::testing::Values(LayoutCase{"10", "", 10, 20}, LayoutCase{"8", "", 8, 24},
                                           LayoutCase{"-1", "LGOROWLENGTH 6", 6, 24}));

TEST(MeasurementTargetLayout, RefusesWhatTheChartRefusesAndAnotherPatchCount)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    const QString it8 = writeTarget(work.filePath("t.it8"), "CMYK", {"CMYK_C", "CMYK_M", "CMYK_Y", "CMYK_K"}, 20,
                                    "NUMBER_OF_SETS 30");
    MeasureOptions o = MeasureCommandLine(required() + QStringList{"-it8", it8}).options();
    EXPECT_FALSE(o.layOutTarget().isEmpty());
    EXPECT_EQ(QStringLiteral("lumetra: ") + o.layOutTarget(), RunPreflight(o.run).refusal()) << "the chart's reason";
    const QString fewer = writeTarget(it8, "CMYK", {"CMYK_C", "CMYK_M", "CMYK_Y", "CMYK_K"}, 19);
    o = MeasureCommandLine(required() + QStringList{"-it8", fewer}).options();
    EXPECT_EQ(o.layOutTarget(), "-numpatch 20, but the target holds 19 patches");
    EXPECT_EQ(o.totalPatchCount, 0) << "a refused target lays nothing out";
}

TEST(MeasurementCommandLine, UsageNamesEveryOption)
{
    const QString usage = MeasureCommandLine::usageText();
    EXPECT_TRUE(usage.startsWith("lumetra-measure usage \n\t-accellpath: accell sdk path \n"));
    for (const char* word : {"-prnmodel", "-pages", "-offsetx", "-offsety", "-measuretype", "-calibtype", "-takeup",
                             "-drytype", "-drytime", "-uvfilter", "-m0", "-mode", "-prefix", "-datafolder", "-timeout", "-verbose"})
        EXPECT_TRUE(usage.contains(QStringLiteral("\t%1: ").arg(QLatin1String(word)))) << word;
    EXPECT_TRUE(usage.contains("\t-timeout: seconds to wait for each page to end (default 600)\n"));
}

} // namespace
