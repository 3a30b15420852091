// Following a measured page through the SDK's status callback: every status of
// the table, the page data files and the page ends, against scripted sequences.
#include "accelinstrumentprobe.h"
#include <kelvora/devfile.h>
#include "measurementdata.h"
#include "measurementrig.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace {

using Progress = QList<QPair<QString, int>>;

struct StatusCase
{
    const char* name;
    QString scenario;
    int docMode;
    bool endPrint;
    int statuses; // delivered by the SDK
    QStringList log;
    Progress progress;
    QList<bool> ends;
    QStringList answers;
    QStringList operations; // SDK calls after MeasurePage
};

class MeasurementStatus : public ::testing::TestWithParam<StatusCase>
{
};

TEST_P(MeasurementStatus, ActsAsTheTableSays)
{
    const StatusCase& c = GetParam();
    MeasurementRig rig(c.scenario);
    ASSERT_TRUE(rig.open({plainPage(), plainPage()}, c.docMode));
    ASSERT_TRUE(rig.instrument().StartPage(0));
    if (c.endPrint)
        rig.instrument().EndPrint(0);
    // All statuses first, then the queued work, so the order of calls is fixed.
    ASSERT_TRUE(rig.waitForStatuses(c.statuses));
    ASSERT_TRUE(rig.waitUntil([&] { return rig.pageEnds().size() >= c.ends.size(); }));
    rig.settle();
    // The SDK's thread may log before StartPage returns: take the lines after the record's last.
    const QStringList lines = rig.logLines();
    EXPECT_EQ(lines.mid(lines.indexOf(QStringLiteral("mM0 1")) + 1), c.log);
    EXPECT_EQ(rig.progress(), c.progress);
    EXPECT_EQ(rig.pageEnds(), c.ends);
    EXPECT_EQ(rig.callbackAnswers(), c.answers);
    EXPECT_EQ(rig.operationsAfter(QStringLiteral("MeasurePage")), c.operations);
}

const QString gjs = QStringLiteral("GetJobStatus");
const QString release = QStringLiteral("ReleaseJobStatus");
const QStringList fetch = {"GetJobStatus", "AllocMeasurementData", "DeallocMeasurementData"};
const QStringList ended = {"EndDoc", "DeleteDoc"};
const QStringList aborted = {"AbortDoc", "DeleteDoc"};
const QString dataLine = QStringLiteral("it8 data file target.it8");

// The log line of a page whose data the driver refused, for the reason given.
QString refusedData(const QString& reason)
{
    return QStringLiteral("ACCEL_STATUS_READY_TO_RECEIVE_DATA Accel_Measurement: result 8388609 err: "
                          "ACCEL: Accel_Measurement ")
        + reason;
}

QStringList zeros(int count)
{
    QStringList answers;
    for (int i = 0; i < count; ++i)
        answers << QStringLiteral("0");
    return answers;
}

INSTANTIATE_TEST_SUITE_P(
    Table, MeasurementStatus,
    ::testing::Values(
        StatusCase{"quietStatuses", "page.default = 0x100; 0x510; 0x600; 0x700; 0xb00; 0x800", 2, false, 6, {}, {},
                   {true}, zeros(6), QStringList{gjs, gjs, gjs, gjs, gjs, gjs, release} + ended},
        StatusCase{"waitingAfterEndPrint", "page.default = 0x200 delay=200; 0x800", 2, true, 2, {}, {}, {true},
                   zeros(2), QStringList{gjs, gjs, release, "IsDocFinished"} + ended},
        StatusCase{"pausedAfterEndPrint", "page.default = 0x300 delay=200; 0x800", 2, true, 2, {}, {}, {true},
                   zeros(2), QStringList{gjs, gjs, release, "IsDocFinished"} + ended},
        StatusCase{"waitingWithEndFlag0", "page.default = 0x200; 0x300; 0x800", 2, false, 3, {}, {}, {true},
                   zeros(3), QStringList{gjs, gjs, gjs, release} + ended},
        StatusCase{"endFlag1FromPageOnesData", "page.default = 0x520 data=1 delay=200; 0x300; 0x800", 2, false, 3,
                   {dataLine}, {}, {true}, zeros(3),
                   QStringList{gjs} + fetch + QStringList{gjs, gjs, release, "IsDocFinished"} + ended},
        StatusCase{"endFlag2FromPageTwosData", "page.default = 0x520 page=2 data=1 delay=200; 0x200; 0x800", 2, true,
                   3, {dataLine}, {}, {true}, zeros(3),
                   QStringList{gjs} + fetch + QStringList{gjs, gjs, release} + ended},
        StatusCase{"progress", "page.default = 0x400 progress=37; 0x410 progress=37; 0x500 progress=37; 0x800", 2,
                   false, 4, {}, {{"37 %", 2}, {"37 %", 2}, {"37 %", 1}}, {true}, zeros(4),
                   QStringList{gjs, gjs, gjs, gjs, release} + ended},
        StatusCase{"dataOfAPageFetchedOnce", "page.default = 0x520 data=1; 0x520 data=1; 0x580; 0x800", 2, false, 4,
                   {dataLine}, {}, {true}, zeros(4),
                   QStringList{gjs} + fetch + QStringList{gjs, gjs, gjs, release} + ended},
        StatusCase{"pageMeasuredEndsOnce", "page.default = 0x580; 0x580", 2, false, 2, {}, {}, {true}, zeros(2),
                   QStringList{gjs, release, gjs} + ended},
        StatusCase{"canceled", "page.default = 0x100; 0xb10", 2, false, 2, {"ACCEL_STATUS_CANCELED"}, {}, {false},
                   zeros(2), QStringList{gjs, gjs, release} + aborted},
        StatusCase{"errorWithCodes",
                   "page.default = 0xf00 mAccelConnectionStatus=3 mStatus=3 mErrorCode=17 mILSErrorCode=4242", 2,
                   false, 1,
                   {"ACCEL_STATUS_ERROR: mErrorCode 17", "ACCEL_STATUS_ERROR: mAccelConnectionStatus 1",
                    "ACCEL_STATUS_ERROR: mStatus 3", "ACCEL_STATUS_ERROR: mILSErrorCode 4242"},
                   {}, {false}, zeros(1), QStringList{gjs, release, "GetErrorCodes"} + aborted},
        StatusCase{"errorWithoutCodes", "page.default = 0xf00\nfail.GetErrorCodes = 0x55 @2", 2, false, 1,
                   {"ACCEL_STATUS_ERROR, can't get Error codes"}, {}, {false}, zeros(1),
                   QStringList{gjs, release, "GetErrorCodes"} + aborted},
        StatusCase{"unknownStatus", "page.default = 0x999", 2, false, 1, {}, {}, {false}, zeros(1),
                   QStringList{gjs, release} + aborted},
        StatusCase{"statusUnreadable", "page.default = 0x100\nfail.GetJobStatus = 0x66", 2, false, 1,
                   {"ACCEL_ERROR GetJobStatus error"}, {}, {false}, {"0x66"}, QStringList{gjs} + aborted},
        StatusCase{"blockNotHandedOut", "page.default = 0x520 data=1\nfail.AllocMeasurementData = 0x1", 0, false, 1,
                   {"ACCEL_STATUS_READY_TO_RECEIVE_DATA Accel_Measurement: result 8388609 err: "
                    "ACCEL: Accel_Measurement AllocMeasurementData Error"},
                   {}, {false}, {"0x800001"}, QStringList{gjs, gjs, "AllocMeasurementData"} + aborted},
        StatusCase{"blockNotReleased", "page.default = 0x520 data=1\nfail.DeallocMeasurementData = 0x77 @1", 0, false,
                   1,
                   {"ACCEL_STATUS_READY_TO_RECEIVE_DATA Accel_Measurement: result 119 err: "
                    "ACCEL: Accel_Measurement DeallocMeasurementData"},
                   {}, {false}, {"0x77"}, QStringList{gjs} + fetch + QStringList{"DeallocMeasurementData"} + aborted},
        // The length is read before the block is given back, which frees it.
        StatusCase{"blockLengthUnreadable", "page.default = 0x520 data=1 length=-1", 0, false, 1,
                   {refusedData("block 0 of -1 bytes cannot be read")}, {}, {false}, {"0x800001"},
                   QStringList{gjs} + fetch + aborted},
        // Block 0 holds 1472 bytes; block 1 claims one byte more than the bound of 256 MiB leaves.
        StatusCase{"pageBytesBeyondTheBound", "page.default = 0x520 data=2 length=268433985", 0, false, 1,
                   {refusedData("block 1 of 268433985 bytes takes the page's data to 268435457 bytes, beyond the "
                                "bound of 268435456")},
                   {}, {false}, {"0x800001"}, QStringList{gjs} + fetch + fetch.mid(1) + aborted},
        StatusCase{"blockCountBeyondTheBound", "page.default = 0x520 data=4097", 0, false, 1,
                   {refusedData("4097 data blocks exceed the bound of 4096")}, {}, {false}, {"0x800001"},
                   QStringList{gjs, gjs} + aborted},
        StatusCase{"blockCountOfABrokenSdk", "page.default = 0x520 data=2147483647", 0, false, 1,
                   {refusedData("2147483647 data blocks exceed the bound of 4096")}, {}, {false}, {"0x800001"},
                   QStringList{gjs, gjs} + aborted},
        StatusCase{"docMode0EndsWithTheData", "page.default = 0x520 data=1", 0, false, 1, {dataLine}, {}, {true},
                   zeros(1), QStringList{gjs} + fetch + ended},
        StatusCase{"docMode1WaitsForAnEnd", "page.default = 0x520 data=1", 1, false, 1, {dataLine}, {}, {}, zeros(1),
                   QStringList{gjs} + fetch},
        StatusCase{"docMode2WaitsForAnEnd", "page.default = 0x520 data=1", 2, false, 1, {dataLine}, {}, {}, zeros(1),
                   QStringList{gjs} + fetch}),
    [](const ::testing::TestParamInfo<StatusCase>& info) { return std::string(info.param.name); });

struct PageFailureCase
{
    const char* name;
    QString scenario;
    bool ended;     // what pageEndSignal reports
    QString reason; // empty: nothing failed
};

class MeasurementFailureReason : public ::testing::TestWithParam<PageFailureCase>
{
};

TEST_P(MeasurementFailureReason, IsKeptWhenThePageEnds)
{
    const PageFailureCase& c = GetParam();
    MeasurementRig rig(c.scenario);
    ASSERT_TRUE(rig.open({plainPage()}, 0));
    ASSERT_TRUE(rig.instrument().StartPage(0));
    ASSERT_TRUE(rig.waitUntil([&] { return !rig.pageEnds().isEmpty(); }));
    EXPECT_EQ(rig.pageEnds(), QList<bool>{c.ended});
    EXPECT_EQ(rig.instrument().errorString(), c.reason);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MeasurementFailureReason,
    ::testing::Values(
        PageFailureCase{"measured", "page.default = 0x520 data=1", true, QString()},
        PageFailureCase{"canceled", "page.default = 0x100; 0xb10", false, "ACCEL_STATUS_CANCELED"},
        PageFailureCase{"errorWithCodes",
                        "page.default = 0xf00 mAccelConnectionStatus=3 mStatus=3 mErrorCode=17 mILSErrorCode=4242",
                        false,
                        "ACCEL_STATUS_ERROR: mErrorCode 17 mAccelConnectionStatus 1 mStatus 3 mILSErrorCode 4242"},
        PageFailureCase{"errorWithoutCodes", "page.default = 0xf00\nfail.GetErrorCodes = 0x55 @2", false,
                        "ACCEL_STATUS_ERROR, can't get Error codes"},
        PageFailureCase{"unknownStatus", "page.default = 0x999", false,
                        "ACCEL: page 1 ended with the unknown job status 0x999"},
        PageFailureCase{"statusUnreadable", "page.default = 0x100\nfail.GetJobStatus = 0x66", false,
                        "ACCEL_ERROR GetJobStatus error"},
        PageFailureCase{"blockNotHandedOut", "page.default = 0x520 data=1\nfail.AllocMeasurementData = 0x1", false,
                        "ACCEL_STATUS_READY_TO_RECEIVE_DATA Accel_Measurement: result 8388609 err: "
                        "ACCEL: Accel_Measurement AllocMeasurementData Error"},
        // The page ends, but its document does not, and then cannot be deleted either.
        PageFailureCase{"documentNotEnded", "page.default = 0x520 data=1\nfail.EndDoc = 0x5", true,
                        "ACCEL: EndDoc Failed"},
        PageFailureCase{"documentNotDeleted", "page.default = 0x520 data=1\nfail.DeleteDoc = 0x5", true,
                        "ACCEL: DeleteDoc Failed"}),
    [](const ::testing::TestParamInfo<PageFailureCase>& info) { return std::string(info.param.name); });

TEST(MeasurementPage, RefusedBySdkSaysSo)
{
    MeasurementRig rig(QStringLiteral("fail.MeasurePage = 0x5"));
    ASSERT_TRUE(rig.open({plainPage()}, 0));
    EXPECT_FALSE(rig.instrument().StartPage(0));
    EXPECT_EQ(rig.instrument().errorString(), QStringLiteral("ACCEL: StartPage MeasurePage error"));
    EXPECT_FALSE(rig.instrument().StartPage(3));
    EXPECT_EQ(rig.instrument().errorString(), QStringLiteral("ACCEL: page 3 is not a page of the job, which has 1"));
}

TEST(MeasurementStatus, BadArgumentsAreAnsweredAndNothingElse)
{
    accelInstrument instrument(QStringLiteral("/nowhere"));
    int reports = 0;
    QObject::connect(&instrument, qOverload<const QString&, int>(&accelInstrument::addLogLine), [&] { ++reports; });
    QObject::connect(&instrument, &accelInstrument::pageEndSignal, [&] { ++reports; });
    int someHandle = 0;
    const AccelStatusCallback callback = accelInstrumentProbe::statusCallback();
    EXPECT_EQ(callback(nullptr, 1, &instrument), accelInstrument::BadCallbackArguments);
    EXPECT_EQ(callback(&someHandle, -1, &instrument), accelInstrument::BadCallbackArguments);
    EXPECT_EQ(callback(&someHandle, 1, nullptr), 0x20002u);
    QCoreApplication::processEvents();
    EXPECT_EQ(reports, 0);
}

// Only a negative document id is a bad argument: 0 is asked about like any other.
TEST(MeasurementStatus, DocumentZeroIsAskedAboutLikeAnyOther)
{
    MeasurementRig rig;
    ASSERT_TRUE(rig.open({plainPage()}, 2));
    int someHandle = 0;
    const AccelStatusCallback callback = accelInstrumentProbe::statusCallback();
    // The simulator's answer for a handle it did not issue, passed on as for any status that cannot be read.
    EXPECT_EQ(callback(&someHandle, 0, accelInstrumentProbe(rig.instrument()).statusUser()), 0xa0000002u);
    EXPECT_TRUE(rig.sim().calls().contains(
        QStringLiteral("GetJobStatus(h=unknown, doc=0, record=set) = 0xa0000002 (unknown handle)")))
        << rig.sim().calls().join('\n').toStdString();
    ASSERT_TRUE(rig.waitUntil([&] { return !rig.pageEnds().isEmpty(); }));
    EXPECT_EQ(rig.pageEnds(), QList<bool>{false});
}

struct EndFlagCase
{
    const char* name;
    QString scenario;
    int asks; // IsDocFinished calls
};

class MeasurementEndFlag : public ::testing::TestWithParam<EndFlagCase>
{
};

// After EndPrint each waiting status asks whether the document has finished, and the
// answer decides whether the next waiting status asks again.
TEST_P(MeasurementEndFlag, KeepsWhatIsDocFinishedAnswered)
{
    // Long enough between statuses for the queued question to be asked and answered.
    MeasurementRig rig(QStringLiteral("page.default = 0x200 delay=300; 0x200 delay=300; 0x800\n")
                       + GetParam().scenario);
    ASSERT_TRUE(rig.open({plainPage()}, 2));
    ASSERT_TRUE(rig.instrument().StartPage(0));
    rig.instrument().EndPrint(0);
    ASSERT_TRUE(rig.waitUntil([&] { return !rig.pageEnds().isEmpty(); }));
    EXPECT_EQ(rig.sim().operations().count(QStringLiteral("IsDocFinished")), GetParam().asks)
        << rig.sim().calls().join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Table, MeasurementEndFlag,
    ::testing::Values(EndFlagCase{"stillPrinting", QString(), 1},
                      // A failing answer is not 0, so it counts as finished.
                      EndFlagCase{"finished", QStringLiteral("fail.IsDocFinished = 0x1"), 2}),
    [](const ::testing::TestParamInfo<EndFlagCase>& info) { return std::string(info.param.name); });

// ---- page data files ---------------------------------------------------------------------

QByteArray fileContent(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class MeasurementDataBlocks : public ::testing::TestWithParam<int>
{
};

TEST_P(MeasurementDataBlocks, FileHoldsEveryBlockInOrder)
{
    MeasurementRig rig(QStringLiteral("page.default = 0x520 data=%1").arg(GetParam()));
    ASSERT_TRUE(rig.open({plainPage()}, 0));
    ASSERT_TRUE(rig.instrument().StartPage(0));
    ASSERT_TRUE(rig.waitUntil([&] { return !rig.pageEnds().isEmpty(); }));
    QByteArray expected;
    for (int block = 0; block < GetParam(); ++block) {
        const std::vector<uint8_t> bytes = MeasurementData::block(1, block, 20);
        expected.append(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
    }
    const QString path = QDir(rig.dataFolder()).filePath(QStringLiteral("meas_run_0.tmp"));
    EXPECT_EQ(rig.dataFiles(), QStringList{path});
    EXPECT_EQ(fileContent(path), expected);
}

// Up to the driver's bound on the blocks of a page.
INSTANTIATE_TEST_SUITE_P(Counts, MeasurementDataBlocks, ::testing::Values(0, 1, 2, 4096));

struct NameCase
{
    const char* name;
    QString prefix;
    QString file;
};

class MeasurementDataName : public ::testing::TestWithParam<NameCase>
{
};

TEST_P(MeasurementDataName, PrefixAndZeroBasedPage)
{
    MeasurementRig rig(QStringLiteral("page.default = 0x520 data=1"));
    ASSERT_TRUE(rig.open({plainPage(), plainPage(), plainPage()}, 0, GetParam().prefix));
    ASSERT_TRUE(rig.instrument().StartPage(2));
    ASSERT_TRUE(rig.waitUntil([&] { return !rig.pageEnds().isEmpty(); }));
    const QString path = QDir(rig.dataFolder()).filePath(GetParam().file);
    EXPECT_EQ(rig.dataFiles(), QStringList{path});
    EXPECT_TRUE(QFile::exists(path));
}

INSTANTIATE_TEST_SUITE_P(Table, MeasurementDataName,
                         ::testing::Values(NameCase{"emptyPrefix", QString(), "meas__2.tmp"},
                                           NameCase{"prefix", "run7", "meas_run7_2.tmp"},
                                           NameCase{"prefixWithAPlaceholder", "%2x", "meas_%2x_2.tmp"}),
                         [](const ::testing::TestParamInfo<NameCase>& info) { return std::string(info.param.name); });

struct FolderCase
{
    const char* name;
    QString scenario;
    QString folder; // below the rig's data folder; "." stands for the current directory, given as an empty text
    // The last log lines; <data> stands for the rig's data folder, <devfile> for what DevFile says of the file.
    QStringList log;
    QString file;   // written into folder; empty: no file
    QString reason; // the instrument's errorString() after the page, with the same stand-ins
    QString it8 = QStringLiteral("target.it8");
    QString fileInTheWay = QString(); // a plain file made below the data folder first
};

class MeasurementDataFolder : public ::testing::TestWithParam<FolderCase>
{
};

TEST_P(MeasurementDataFolder, PageEndsWhateverBecameOfItsFile)
{
    const FolderCase& c = GetParam();
    MeasurementRig rig(c.scenario);
    const QDir data(rig.dataFolder());
    if (!c.fileInTheWay.isEmpty()) {
        ASSERT_TRUE(data.mkpath(QFileInfo(data.filePath(c.fileInTheWay)).path()));
        QFile blocker(data.filePath(c.fileInTheWay));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    const QString previous = QDir::currentPath();
    const bool current = c.folder == QLatin1String(".");
    if (current)
        QDir::setCurrent(data.path());
    PageValues page = plainPage();
    page.it8FilePath = c.it8;
    ASSERT_TRUE(rig.open({page}, 0, QStringLiteral("run"), current ? QString() : data.filePath(c.folder)));
    ASSERT_TRUE(rig.instrument().StartPage(0));
    ASSERT_TRUE(rig.waitUntil([&] { return !rig.pageEnds().isEmpty(); }));
    QDir::setCurrent(previous);
    EXPECT_EQ(rig.dataFiles(), QStringList{c.file.isEmpty() ? QString() : data.filePath(c.file)});
    EXPECT_EQ(data.entryList(QDir::Files), c.file.isEmpty() ? QStringList() : QStringList{c.file});
    EXPECT_EQ(rig.pageEnds(), QList<bool>{true});

    // What DevFile itself says of the file that could not be written.
    QString devFileReason;
    if (c.file.isEmpty()) {
        const QString path = data.filePath(c.folder + QStringLiteral("/meas_run_0.tmp"));
        DevFile::createDataMeasureFile(c.it8, QByteArray(), path, &devFileReason);
    }
    const auto filled = [&](QString text) {
        return text.replace(QLatin1String("<data>"), data.path()).replace(QLatin1String("<devfile>"), devFileReason);
    };
    QStringList expected;
    for (const QString& line : c.log)
        expected << filled(line);
    const QStringList lines = rig.logLines();
    EXPECT_EQ(lines.mid(lines.size() - expected.size()), expected);
    EXPECT_EQ(rig.instrument().errorString(), filled(c.reason));
}

INSTANTIATE_TEST_SUITE_P(
    Table, MeasurementDataFolder,
    ::testing::Values(
        FolderCase{"currentDirectory", "page.default = 0x520 data=1", ".", {dataLine}, "meas_run_0.tmp", QString()},
        FolderCase{"missingFolder", "page.default = 0x520 data=1", "missing",
                   {"Error creating measuring data file <data>/missing/meas_run_0.tmp", "ACCEL: <devfile>"}, QString(),
                   "<devfile>"},
        // Root may write into any folder, but nobody can write below a plain file.
        FolderCase{"folderIsAFile", "page.default = 0x520 data=1", "sub/file",
                   {"Error creating measuring data file <data>/sub/file/meas_run_0.tmp", "ACCEL: <devfile>"}, QString(),
                   "<devfile>", QStringLiteral("target.it8"), QStringLiteral("sub/file")},
        // DevFile does not name the file when it refuses data without a target.
        FolderCase{"pageWithoutTarget", "page.default = 0x520 data=1", "missing",
                   {"it8 data file ", "Error creating measuring data file <data>/missing/meas_run_0.tmp",
                    "ACCEL: <data>/missing/meas_run_0.tmp: <devfile>"},
                   QString(), "<data>/missing/meas_run_0.tmp: <devfile>", QString()},
        FolderCase{"pageOutsideTheJob", "page.default = 0x520 page=5 data=1", "out",
                   {"ACCEL: measurement data for page 4, which is not a page of the job"}, QString(),
                   "ACCEL: measurement data for page 4, which is not a page of the job"}),
    [](const ::testing::TestParamInfo<FolderCase>& info) { return std::string(info.param.name); });

} // namespace
