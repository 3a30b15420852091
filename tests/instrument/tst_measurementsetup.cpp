// Setting a page up for measurement: the measurement record, the drying list and
// what StartPage hands to the SDK.
#include "accelinstrumentprobe.h"
#include "accelmeasparams_st.h"
#include "accelparams_st.h"
#include "measurementrig.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <array>
#include <cstring>
#include <vector>

namespace {

struct Field
{
    int offset;
    int32_t value;
};

// An instrument without SDK holding a job of these pages: enough to fill records.
class OfflineInstrument
{
public:
    explicit OfflineInstrument(const QList<PageValues>& pages)
    {
        accelMeasParams_st job;
        for (const PageValues& page : pages)
            job.pages.append(newPageWith(page));
        instrument.setParams(job);
        QObject::connect(&instrument, qOverload<const QString&, int>(&accelInstrument::addLogLine), &instrument,
                         [this](const QString& line, int) { log << line; });
    }

    accelInstrument instrument{QStringLiteral("/nowhere")};
    accelInstrumentProbe probe{instrument};
    QStringList log;
};

int32_t fieldAt(const void* record, int offset)
{
    int32_t value = 0;
    std::memcpy(&value, static_cast<const char*>(record) + offset, sizeof value);
    return value;
}

PageValues pageOf(int totalPatches, double patchHeight, bool takeUp, double offsetY)
{
    PageValues page = plainPage();
    page.totalPatchCount = totalPatches;
    page.patchSizeY = patchHeight;
    page.takeUp = takeUp;
    page.offsetY = offsetY;
    return page;
}

// ---- measurement record ------------------------------------------------------------------

struct RecordCase
{
    const char* name;
    PageValues page;
    std::vector<Field> fields; // every field that is not 0
    QStringList log;
};

class MeasurementSetupRecord : public ::testing::TestWithParam<RecordCase>
{
};

TEST_P(MeasurementSetupRecord, FieldsAtTheirOffsetsAndLoggedInOrder)
{
    OfflineInstrument offline({GetParam().page});
    offline.instrument.fillMeasurementStruct(0);
    EXPECT_EQ(offline.log, GetParam().log);
    QByteArray bytes(reinterpret_cast<const char*>(&offline.probe.record()), sizeof(MeasurementRecord));
    for (const Field& field : GetParam().fields) {
        EXPECT_EQ(fieldAt(bytes.constData(), field.offset), field.value) << "offset " << field.offset;
        std::memset(bytes.data() + field.offset, 0, sizeof(int32_t));
    }
    EXPECT_EQ(bytes.count('\0'), bytes.size()) << "every other byte stays 0";
}

const std::vector<Field> commonFields = {{0, 1}, {4, 1}, {8, 1}, {36, 1}, {44, 2}, {48, 1}, {52, 10}, {76, 1}};

std::vector<Field> withCommon(std::vector<Field> own)
{
    own.insert(own.end(), commonFields.begin(), commonFields.end());
    return own;
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, MeasurementSetupRecord,
    ::testing::Values(
        RecordCase{"takeUpOff",
                   {"t.it8", 30, 0, 0, 0, 10, 4, 1, false, 0, 1, 8.0, 10.0, 10.0, 20.0},
                   withCommon({{12, 1}, {16, 1}, {32, 1}, {56, 3}, {60, 800}, {64, 1000}, {72, 2500}, {1105968, 1}}),
                   {"MeasureType 0", "mCalibration 1", "mPatchCountX 10", "mPatchCountY 3", "TakeUp 0",
                    "mPatchSizeWidth 800", "mPatchSizeHeight 1000", "mStartPositionX 0", "mStartPositionY 2500",
                    "mchartType 2", "mUVFilter 0", "mM0 1"}},
        RecordCase{"takeUpOn",
                   {"t.it8", 30, 0, 0, 0, 10, 4, 1, true, 0, 1, 8.0, 10.0, 10.0, 20.0},
                   withCommon({{12, 1}, {16, 1}, {32, 1}, {56, 3}, {60, 800}, {64, -1000}, {72, 4500}, {1105968, 1}}),
                   {"MeasureType 0", "mCalibration 1", "mPatchCountX 10", "mPatchCountY 3", "TakeUp 1",
                    "mPatchSizeWidth 800", "mPatchSizeHeight -1000", "OffsetY 20", "mStartPositionX 0",
                    "mStartPositionY 4500", "mchartType 2", "mUVFilter 0", "mM0 1"}},
        RecordCase{"partRowTruncatedLengthsNegativeStart",
                   {"t.it8", 25, 1, 0, 0, 10, 4, 3, false, 1, 0, 12.7, 12.9, 5.0, 0.0},
                   withCommon({{16, 1}, {32, 3}, {56, 2}, {60, 1200}, {64, 1200}, {68, -500}, {72, 600},
                               {1105964, 1}}),
                   {"MeasureType 1", "mCalibration 3", "mPatchCountX 10", "mPatchCountY 2", "TakeUp 0",
                    "mPatchSizeWidth 1200", "mPatchSizeHeight 1200", "mStartPositionX -500", "mStartPositionY 600",
                    "mchartType 2", "mUVFilter 1", "mM0 0"}}),
    [](const ::testing::TestParamInfo<RecordCase>& info) { return std::string(info.param.name); });

struct KindsCase
{
    unsigned char measureType;
    std::array<int32_t, 5> flags; // spectral, Lab, XYZ, Yxy, Lch
};

class MeasurementSetupResultKinds : public ::testing::TestWithParam<KindsCase>
{
};

TEST_P(MeasurementSetupResultKinds, FollowThePagesOwnTypeOnly)
{
    PageValues spectral = plainPage();
    PageValues second = plainPage();
    second.measureType = GetParam().measureType;
    OfflineInstrument offline({spectral, second});
    offline.instrument.fillMeasurementStruct(0);
    offline.instrument.fillMeasurementStruct(1);
    const MeasurementRecord& r = offline.probe.record();
    EXPECT_EQ(r.mPageNumber, 2);
    EXPECT_EQ((std::array<int32_t, 5>{r.mSpectral, r.mLab, r.mXYZ, r.mYxy, r.mLch}), GetParam().flags);
}

INSTANTIATE_TEST_SUITE_P(Types, MeasurementSetupResultKinds,
                         ::testing::Values(KindsCase{0, {1, 1, 0, 0, 0}}, KindsCase{1, {0, 1, 0, 0, 0}},
                                           KindsCase{2, {0, 0, 1, 0, 0}}, KindsCase{3, {0, 0, 0, 1, 0}},
                                           KindsCase{4, {0, 0, 0, 0, 1}}, KindsCase{5, {0, 0, 0, 0, 0}}));

// ---- drying list -------------------------------------------------------------------------

struct DryingCase
{
    const char* name;
    PageValues page;
    int dryingOffset;
    std::vector<int32_t> positions; // empty: no list
    QString log;
};

class MeasurementSetupDrying : public ::testing::TestWithParam<DryingCase>
{
};

TEST_P(MeasurementSetupDrying, BlocksOfFiftyMillimetresOverTheRows)
{
    const DryingCase& c = GetParam();
    OfflineInstrument offline({c.page});
    offline.instrument.setDryingOffset(c.dryingOffset);
    offline.instrument.fillArtificialDryingStruct(0);
    EXPECT_EQ(offline.log, c.log.isEmpty() ? QStringList() : QStringList{c.log});
    ASSERT_EQ(offline.probe.dryingEntryCount(), int(c.positions.size()));
    EXPECT_EQ(offline.probe.dryingList() == nullptr, c.positions.empty());
    for (size_t j = 0; j < c.positions.size(); ++j) {
        const DryingRecord& entry = offline.probe.dryingList()[j];
        const std::array<int32_t, 5> fields = {entry.mField0, entry.mField4, entry.mDryTime, entry.mField12,
                                               entry.mPositionY};
        EXPECT_EQ(fields, (std::array<int32_t, 5>{1, 1, c.page.dryTime, 70, c.positions[j]}))
            << "block " << j;
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(entry.mReserved20), sizeof entry.mReserved20).count('\0'),
                  int(sizeof entry.mReserved20));
    }
}

PageValues dried(int totalPatches, double patchHeight, int dryTime = 30)
{
    PageValues page = pageOf(totalPatches, patchHeight, false, 0.0);
    page.dryType = 1;
    page.dryTime = dryTime;
    return page;
}

INSTANTIATE_TEST_SUITE_P(
    Table, MeasurementSetupDrying,
    ::testing::Values(
        DryingCase{"twelveRowsThreeBlocks", dried(120, 10.0), 0, {2800, 7800, 12800}, QString()},
        DryingCase{"tenRowsTwoBlocks", dried(100, 10.0, 0), 0, {2800, 7800}, QString()},
        DryingCase{"partRowNotCounted", dried(25, 10.0), 0, {2800}, QString()},
        DryingCase{"dryingOffset", dried(100, 10.0), 7, {3500, 8500}, QString()},
        DryingCase{"startAtZero", dried(100, 10.0), -28, {0, 5000}, QString()},
        DryingCase{"noRows", dried(5, 10.0), 0, {}, "ACCEL: fillArtificialDryingStruct ACCEL_MEMORY_ERROR"},
        DryingCase{"noHeight", dried(100, 0.0), 0, {}, "ACCEL: fillArtificialDryingStruct ACCEL_MEMORY_ERROR"},
        DryingCase{"startBeforeThePage", dried(100, 10.0), -29, {},
                   "ACCEL: fillArtificialDryingStruct the drying offset -29 mm starts the strip before the page"},
        DryingCase{"positionsBeyondTheRecord", dried(100000, 1000000.0), 0, {},
                   "ACCEL: fillArtificialDryingStruct ACCEL_MEMORY_ERROR 2"},
        DryingCase{"startBeyondTheRecord", dried(100, 10.0), 30000000, {},
                   "ACCEL: fillArtificialDryingStruct ACCEL_MEMORY_ERROR 2"}),
    [](const ::testing::TestParamInfo<DryingCase>& info) { return std::string(info.param.name); });

// ---- StartPage ---------------------------------------------------------------------------

QStringList measurePageCalls(const SimFolder& sim)
{
    return sim.calls().filter(QRegularExpression(QStringLiteral("^MeasurePage\\(")));
}

struct RefusalCase
{
    const char* name;
    PageValues page;
    int index;
    QString log;
};

class MeasurementSetupRefusal : public ::testing::TestWithParam<RefusalCase>
{
};

TEST_P(MeasurementSetupRefusal, LogsAndLeavesTheSdkAlone)
{
    MeasurementRig rig(QStringLiteral("page.default ="));
    ASSERT_TRUE(rig.open({GetParam().page}, 2));
    EXPECT_FALSE(rig.instrument().StartPage(GetParam().index));
    EXPECT_EQ(rig.logLines().last(), GetParam().log);
    EXPECT_TRUE(measurePageCalls(rig.sim()).isEmpty());
}

PageValues withRow(int patchesPerRow, double patchWidth = 8.0)
{
    PageValues page = plainPage();
    page.patchCountPerRow = patchesPerRow;
    page.patchSizeX = patchWidth;
    return page;
}

INSTANTIATE_TEST_SUITE_P(
    Table, MeasurementSetupRefusal,
    ::testing::Values(
        RefusalCase{"negativeIndex", plainPage(), -1, "ACCEL: page -1 is not a page of the job, which has 1"},
        RefusalCase{"indexPastTheJob", plainPage(), 1, "ACCEL: page 1 is not a page of the job, which has 1"},
        RefusalCase{"noPatchesPerRow", withRow(0), 0, "ACCEL: page 0 has 0 patches per row and cannot be measured"},
        RefusalCase{"negativePatchesPerRow", withRow(-3), 0,
                    "ACCEL: page 0 has -3 patches per row and cannot be measured"},
        RefusalCase{"lengthBeyondTheRecord", withRow(10, 30000000.0), 0,
                    "ACCEL: page 0 has lengths that do not fit the measurement record"}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

TEST(MeasurementSetupStartPage, WithoutSdkIsRefused)
{
    OfflineInstrument offline({plainPage()});
    EXPECT_FALSE(offline.instrument.StartPage(0));
    EXPECT_EQ(offline.log, QStringList{"ACCEL: StartPage page 0 without an initialised SDK"});
}

TEST(MeasurementSetupStartPage, HandsTheListOrNoneToMeasurePage)
{
    MeasurementRig rig(QStringLiteral("page.default =\nversion = ILS20EP 1.0"));
    PageValues natural = plainPage();
    ASSERT_TRUE(rig.open({dried(120, 10.0), natural}, 2));
    accelInstrumentProbe probe(rig.instrument());
    EXPECT_TRUE(rig.instrument().StartPage(0));
    EXPECT_TRUE(rig.instrument().StartPage(1));
    rig.instrument().setDryingOffset(-29);
    EXPECT_TRUE(rig.instrument().StartPage(0));
    EXPECT_EQ(measurePageCalls(rig.sim()),
              QStringList({"MeasurePage(h=1, doc=1, drying=set, count=3, record{page=1, patches=10x12, size=800x1000, "
                           "start=0,500, chartType=1}, flags=1) = 0",
                           "MeasurePage(h=1, doc=1, drying=null, count=0, record{page=2, patches=10x2, size=800x600, "
                           "start=0,2300, chartType=1}, flags=1) = 0",
                           "MeasurePage(h=1, doc=1, drying=null, count=0, record{page=1, patches=10x12, size=800x1000, "
                           "start=0,500, chartType=1}, flags=1) = 0"}));
    EXPECT_EQ(probe.keptDryingLists(), 1u) << "the first page's list stays until a page has ended";
}

TEST(MeasurementSetupStartPage, DryingListsLastUntilThePageHasEnded)
{
    MeasurementRig rig(QStringLiteral("page.default = 0x800 delay=100"));
    ASSERT_TRUE(rig.open({dried(120, 10.0)}, 2));
    accelInstrumentProbe probe(rig.instrument());
    ASSERT_TRUE(rig.instrument().StartPage(0));
    EXPECT_EQ(probe.keptDryingLists(), 1u);
    ASSERT_TRUE(rig.waitUntil([&] { return !rig.pageEnds().isEmpty(); }));
    EXPECT_EQ(probe.keptDryingLists(), 0u);
    EXPECT_EQ(probe.dryingList(), nullptr);
}

TEST(MeasurementSetupStartPage, EndFlagIsClearedAlsoWhenTheSdkRefuses)
{
    MeasurementRig rig(QStringLiteral("page.default =\nfail.MeasurePage = 0x99"));
    ASSERT_TRUE(rig.open({plainPage()}, 2));
    accelInstrumentProbe probe(rig.instrument());
    rig.instrument().EndPrint(0);
    EXPECT_EQ(probe.endFlag(), 1);
    EXPECT_FALSE(rig.instrument().StartPage(0));
    EXPECT_EQ(probe.endFlag(), 0);
}

TEST(MeasurementSetupStartPage, PrintDocRegistersTheCallbackAfterThePrintOption)
{
    MeasurementRig rig;
    ASSERT_TRUE(rig.open({plainPage()}, 2));
    EXPECT_EQ(rig.sim().operations().mid(rig.sim().operations().indexOf(QStringLiteral("SetPrintOption"))),
              QStringList({"SetPrintOption", "PrintDoc"}));
    EXPECT_EQ(rig.sim().call(QStringLiteral("SetPrintOption")), "SetPrintOption(h=1, doc=1, option=5000) = 0");

    MeasurementRig refusing(QStringLiteral("fail.PrintDoc = 0x5"));
    EXPECT_FALSE(refusing.open({plainPage()}, 2));
    EXPECT_EQ(refusing.logLines().last(), "ACCEL: PrintDoc error");
}

} // namespace
