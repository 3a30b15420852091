// lumetra-measure as a user runs it, against a private copy of the simulator.
#include "measurementdata.h"
#include "simfolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct Outcome
{
    int exitCode = -1;
    QStringList out;
    QString err;
};

// A run with every required option, then extra, less the option dropped (and its value);
// a run still going after waitMs is killed and has no outcome.
Outcome measure(const SimFolder& sim, const QStringList& extra, const QString& dropped = QString(),
                int waitMs = 120000)
{
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

QByteArray simulatedBlock(int page)
{
    const std::vector<uint8_t> bytes = MeasurementData::block(page, 0, 20);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
}

QByteArray fileContent(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

TEST(MeasurementProcess, TwoPagesLeaveTheirDataFiles)
{
    SimFolder sim;
    QTemporaryDir data;
    ASSERT_TRUE(sim.isValid() && data.isValid());
    const Outcome outcome = measure(sim, {"-pages", "2", "-prefix", "e2e", "-datafolder", data.path()});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    const QString first = QDir(data.path()).filePath(QStringLiteral("meas_e2e_0.tmp"));
    const QString second = QDir(data.path()).filePath(QStringLiteral("meas_e2e_1.tmp"));
    EXPECT_EQ(outcome.out, QStringList({"50 %", "100 %", first, "50 %", "100 %", second}));
    EXPECT_EQ(fileContent(first), simulatedBlock(1));
    EXPECT_EQ(fileContent(second), simulatedBlock(2));
    EXPECT_TRUE(outcome.err.startsWith("Library Path ")) << "log lines go to standard error";
    EXPECT_EQ(sim.operations().mid(sim.operations().size() - 3),
              QStringList({"Close", "Terminate", "LoadLibraryTerminate"}));
}

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
        FailureCase{"missingOption", QString(), {}, "-prnmodel",
                    {"lumetra-measure: missing -prnmodel", "lumetra-measure usage "}}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

} // namespace
