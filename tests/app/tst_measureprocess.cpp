// lumetra-measure as a user runs it, against a private copy of the simulator.
#include "measurementdata.h"
#include "sharedtargets.h"
#include "simfolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct Outcome
{
    int exitCode = -1;
    QStringList out;
    QString err;
};

// The target of every run: 20 sets, two rows of the default 10 per row.
QString writeTwentyPatches(const SimFolder& sim)
{
    return writeTarget(sim.filePath(QStringLiteral("t.it8")), QStringLiteral("CMYK"),
                       {"CMYK_C", "CMYK_M", "CMYK_Y", "CMYK_K"}, 20);
}

// A run with every required option, then extra (later words win), less the option dropped (and its value);
// a run still going after waitMs is killed and has no outcome.
Outcome measure(const SimFolder& sim, const QStringList& extra, const QString& dropped = QString(),
                int waitMs = 120000)
{
    writeTwentyPatches(sim);
    QStringList arguments = QStringList{"-accellpath", sim.path(), "-it8", "t.it8", "-patchperrow", "10",
                                              "-patchsizex", "8", "-patchsizey", "6", "-papersizex", "320",
                                              "-papersizey", "450", "-numcolor", "4", "-numpatch", "20",
                                              "-prnconntype", "3", "-prnaddr", "127.0.0.1", "-prnmodel", "ILS30EP"}
        + extra;
    const int at = arguments.indexOf(dropped);
    if (at >= 0)
        arguments.erase(arguments.begin() + at, arguments.begin() + at + 2);
    QProcess process;
    process.setWorkingDirectory(sim.path());
    process.start(QStringLiteral(LUMETRA_MEASURE_EXECUTABLE), arguments);
    Outcome outcome;
    if (!process.waitForFinished(waitMs)) {
        process.kill();
        process.waitForFinished();
        return outcome;
    }
    outcome.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    outcome.out = QString::fromLocal8Bit(process.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    outcome.err = QString::fromLocal8Bit(process.readAllStandardError());
    return outcome;
}

QByteArray simulatedBlock(int page, int32_t patches = 20)
{
    const std::vector<uint8_t> bytes = MeasurementData::block(page, 0, patches);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
}

QByteArray fileContent(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The events of a page that ends well, its data file in folder.
QStringList measuredPage(int page, int pages, const QString& folder, const QString& prefix)
{
    const QString name = QStringLiteral("page %1 of %2: ").arg(page).arg(pages);
    return {name + "printing", name + "measuring 50 %", name + "measuring 100 %",
            name + "data in " + QDir(folder).filePath(QStringLiteral("meas_%1_%2.tmp").arg(prefix).arg(page - 1)),
            name + "done"};
}

TEST(MeasurementProcess, TwoPagesLeaveTheirDataFiles)
{
    SimFolder sim;
    QTemporaryDir data;
    ASSERT_TRUE(sim.isValid() && data.isValid());
    const Outcome outcome = measure(sim, {"-pages", "2", "-prefix", "e2e", "-datafolder", data.path()});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_EQ(outcome.out, measuredPage(1, 2, data.path(), "e2e") + measuredPage(2, 2, data.path(), "e2e")
                               + QStringList{"done: 2 of 2 pages, failed: 0, data files written: 2"});
    EXPECT_EQ(fileContent(QDir(data.path()).filePath("meas_e2e_0.tmp")), simulatedBlock(1));
    EXPECT_EQ(fileContent(QDir(data.path()).filePath("meas_e2e_1.tmp")), simulatedBlock(2));
    EXPECT_TRUE(outcome.err.startsWith("Library Path ")) << "log lines go to standard error";
    EXPECT_EQ(sim.operations().mid(sim.operations().size() - 3),
              QStringList({"Close", "Terminate", "LoadLibraryTerminate"}));
}

TEST(MeasurementProcess, AFailedPageEndsTheEventsAndIsCounted)
{
    SimFolder sim("page.2 = 0xb10");
    ASSERT_TRUE(sim.isValid());
    const Outcome outcome = measure(sim, {"-pages", "3"});
    EXPECT_EQ(outcome.exitCode, 1);
    const QStringList failed = {"page 2 of 3: printing", "page 2 of 3: failed",
                                "done: 1 of 3 pages, failed: 1, data files written: 1"};
    EXPECT_EQ(outcome.out, measuredPage(1, 3, sim.path(), QString()) + failed);
}

class MeasurementProcessMode : public ::testing::TestWithParam<const char*>
{
};

TEST_P(MeasurementProcessMode, EveryDocumentModeEndsItsPages)
{
    SimFolder sim;
    ASSERT_TRUE(sim.isValid());
    const Outcome outcome = measure(sim, {"-pages", "2", "-mode", GetParam(), "-timeout", "20"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_EQ(outcome.out.last(), "done: 2 of 2 pages, failed: 0, data files written: 2");
    EXPECT_EQ(fileContent(sim.filePath("meas__0.tmp")), simulatedBlock(1));
    EXPECT_EQ(fileContent(sim.filePath("meas__1.tmp")), simulatedBlock(2));
}

// The driver's dump of the measurement record, as the default page of two rows of 10 gives it.
const QString setupDump = QStringLiteral("mPatchCountX 10\nmPatchCountY 2\n");

TEST(MeasurementProcess, TheSetUpDumpIsLoggedOnlyWhenVerbose)
{
    SimFolder sim;
    ASSERT_TRUE(sim.isValid());
    const Outcome quiet = measure(sim, {});
    ASSERT_EQ(quiet.exitCode, 0) << quiet.err.toStdString();
    EXPECT_FALSE(quiet.err.contains("mPatchCount")) << quiet.err.toStdString();
    EXPECT_TRUE(quiet.err.contains("\nit8 data file t.it8\n")) << "the other lines stay";
    const Outcome verbose = measure(sim, {"-verbose", "1"});
    ASSERT_EQ(verbose.exitCode, 0) << verbose.err.toStdString();
    EXPECT_TRUE(verbose.err.contains(setupDump)) << verbose.err.toStdString();
    EXPECT_EQ(verbose.out, quiet.out);
}

TEST(MeasurementProcess, ThePageIsLaidOutAsTheTargetsChart)
{
    SimFolder sim;
    ASSERT_TRUE(sim.isValid());
    // Eight per row: 20 patches fill three rows, the last one padded.
    const Outcome outcome = measure(sim, {"-patchperrow", "8", "-verbose", "1"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_TRUE(outcome.err.contains("mPatchCountX 8\nmPatchCountY 3\n")) << outcome.err.toStdString();
    EXPECT_EQ(fileContent(sim.filePath("meas__0.tmp")), simulatedBlock(1, 24));
}

TEST_P(MeasurementProcessMode, Fogra51MeasuresEveryRowOfThirty)
{
    const QString fogra51 = QStringLiteral("hamzafer_FOGRA51.txt");
    SKIP_WITHOUT_SHARED_TARGETS(fogra51);
    SimFolder sim;
    ASSERT_TRUE(sim.isValid());
    const Outcome outcome = measure(sim, {"-it8", sharedTarget(fogra51), "-patchperrow", "30", "-patchsizex", "6",
                                          "-numpatch", "1617", "-verbose", "1", "-mode", GetParam(), "-timeout", "20"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_TRUE(outcome.err.contains("mPatchCountX 30\nmPatchCountY 54\n")) << outcome.err.toStdString();
    EXPECT_EQ(fileContent(sim.filePath("meas__0.tmp")), simulatedBlock(1, 1620));
}

INSTANTIATE_TEST_SUITE_P(Modes, MeasurementProcessMode, ::testing::Values("0", "1", "2"));

struct FailureCase
{
    const char* name;
    QString scenario;
    QStringList extra;
    QString dropped;
    QStringList errLines;
    QStringList dataFiles = {}; // left in the working directory
    int waitMs = 120000;
};

class MeasurementProcessFailure : public ::testing::TestWithParam<FailureCase>
{
};

TEST_P(MeasurementProcessFailure, EndsWithOneAndSaysWhy)
{
    SimFolder sim(GetParam().scenario);
    ASSERT_TRUE(sim.isValid());
    const Outcome outcome = measure(sim, GetParam().extra, GetParam().dropped, GetParam().waitMs);
    EXPECT_EQ(outcome.exitCode, 1);
    for (const QString& line : GetParam().errLines)
        EXPECT_TRUE(outcome.err.contains(line + QLatin1Char('\n'))) << outcome.err.toStdString();
    EXPECT_EQ(QDir(sim.path()).entryList({"meas_*"}, QDir::Files), GetParam().dataFiles);
}

const QString timedOut = QStringLiteral("lumetra-measure: page 0 did not end within 1 s");

INSTANTIATE_TEST_SUITE_P(
    Table, MeasurementProcessFailure,
    ::testing::Values(
        FailureCase{"canceledPage", "page.default = 0x100; 0xb10", {}, {},
                    {"ACCEL_STATUS_CANCELED", "lumetra-measure: page 0 ended with a failure"}},
        FailureCase{"timeOut", "page.default =", {"-timeout", "1"}, {}, {timedOut}},
        // A status the SDK delays is not waited for: the release stops the SDK's thread.
        FailureCase{"statusDelayedFarBeyondTheTimeOut", "status.delay = 60000", {"-timeout", "1"}, {}, {timedOut},
                    {}, 20000},
        // An SDK stuck inside a call cannot even be released: the process ends without it.
        FailureCase{"stuckInADataCall", "page.default = 0x520 data=1 stall=60000", {"-timeout", "1"}, {},
                    {timedOut, "lumetra-measure: page 0: the SDK has not returned within the time-out of 1 s and 2 s "
                               "more; ending without releasing it"},
                    {}, 20000},
        FailureCase{"blockCountOfABrokenSdk", "page.default = 0x520 data=2147483647", {}, {},
                    {"ACCEL_STATUS_READY_TO_RECEIVE_DATA Accel_Measurement: result 8388609 err: ACCEL: "
                     "Accel_Measurement 2147483647 data blocks exceed the bound of 4096",
                     "lumetra-measure: page 0 ended with a failure"}},
        FailureCase{"secondPageCanceled", "page.2 = 0xb10", {"-pages", "2"}, {},
                    {"ACCEL_STATUS_CANCELED", "lumetra-measure: page 1 ended with a failure"}, {"meas__0.tmp"}},
        FailureCase{"noDataFile", "page.default = 0x580", {}, {},
                    {"lumetra-measure: page 0 ended without a data file"}},
        FailureCase{"documentRefused", "fail.StartDoc = 0x1234", {}, {},
                    {"ACCEL: StartDoc error", "lumetra-measure: page 0 could not be started"}},
        FailureCase{"offsetBeyondTheRecord", QString(), {"-offsetx", "30000000"}, {},
                    {"ACCEL: page 0 has lengths that do not fit the measurement record",
                     "lumetra-measure: page 0 could not be started"}},
        FailureCase{"noInstrument", "connection = 0", {}, {},
                    {"ACCEL: isAccelConnected ACCEL_FATAL_ERROR",
                     "lumetra-measure: the instrument could not be set up"}},
        FailureCase{"refusedValue", QString(), {"-pages", "0"}, {},
                    {"lumetra-measure: Invalid option -pages 0: the value must lie between 1 and 10000"}},
        FailureCase{"patchCountOtherThanTheTargets", QString(), {"-numpatch", "21"}, {},
                    {"lumetra-measure: -numpatch 21, but the target holds 20 patches"}},
        FailureCase{"missingTarget", QString(), {"-it8", "/nonexistent/none.it8"}, {},
                    {"lumetra-measure: the target " + QFileInfo("/nonexistent/none.it8").absoluteFilePath()
                     + " does not exist"}},
        FailureCase{"missingOption", QString(), {}, "-prnmodel",
                    {"lumetra-measure: missing -prnmodel", "lumetra-measure usage "}}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

} // namespace
