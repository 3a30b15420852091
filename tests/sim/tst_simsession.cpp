#include "simerror.h"
#include "simharness.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstring>
#include <functional>

namespace {


struct Identity
{
    uint32_t infoAnswer;
    int32_t connectionStatus;
    uint32_t errorAnswer;
    std::string version;
};

// The connection check of the driver: Open, GetConnectionInfo, GetErrorCodes, Close.
Identity identify(const SimHarness& sim, AccelHandle h)
{
    Identity id = {~0u, -1, ~0u, std::string()};
    if (sim.sdk().Open(h, 4, "10.0.0.7", 8) != 0)
        return id;
    ConnectionInfoRecord info = {};
    id.infoAnswer = sim.sdk().GetConnectionInfo(h, &info);
    id.connectionStatus = info.mConnectionStatus;
    ErrorRecord errors;
    std::memset(&errors, 0x5a, sizeof errors); // the driver does not zero it
    id.errorAnswer = sim.sdk().GetErrorCodes(h, &errors);
    if (id.errorAnswer == 0)
        id.version = std::string(errors.mVersion, strnlen(errors.mVersion, sizeof errors.mVersion));
    sim.sdk().Close(h);
    return id;
}

TEST(SimSession, WithoutAScenarioItIsAConnectedIls30ep)
{
    SimHarness sim;
    ASSERT_EQ(sim.bindAnswer(), 0u);
    AccelHandle h = sim.start();
    ASSERT_NE(h, nullptr);
    const Identity id = identify(sim, h);
    EXPECT_EQ(id.infoAnswer, 0u);
    EXPECT_EQ(id.connectionStatus, 1);
    EXPECT_EQ(id.errorAnswer, 0u);
    EXPECT_NE(id.version.find("ILS30EP"), std::string::npos);
    EXPECT_EQ(sim.sdk().Terminate(h, 0), 0u);
    EXPECT_EQ(sim.sdk().LoadLibraryTerminate(0), 0u);
}

TEST(SimSession, TheScenarioSetsVersionAndConnectionState)
{
    SimHarness sim("# an ILS20EP that lost its link\nversion = ILS20EP fw 3.1 #2\nconnection = 0\n");
    AccelHandle h = sim.start();
    ASSERT_NE(h, nullptr);
    const Identity id = identify(sim, h);
    EXPECT_EQ(id.connectionStatus, 0);
    EXPECT_EQ(id.version, "ILS20EP fw 3.1 #2");
}

struct FaultCase : NamedCase
{
    const char* scenario;
    // Runs the calls after start(); answers the one the fault aims at.
    std::function<uint32_t(const SimHarness&, AccelHandle)> call;
    uint32_t expected;
};

using SimFault = ::testing::TestWithParam<FaultCase>;

TEST_P(SimFault, AnOperationFailsWithTheScriptedCode)
{
    const FaultCase& c = GetParam();
    SimHarness sim(c.scenario);
    ASSERT_EQ(sim.bindAnswer(), 0u);
    AccelHandle h = sim.start();
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(c.call(sim, h), c.expected);
}

const FaultCase faultCases[] = {
    {{"OpenAlways"}, "fail.Open = 0x1234\n",
     [](const SimHarness& s, AccelHandle h) { return s.sdk().Open(h, 4, "10.0.0.7", 8); }, 0x1234},
    {{"OnlyTheSecondOpen"}, "fail.Open = 0x1234 @2\n",
     [](const SimHarness& s, AccelHandle h) {
         const uint32_t first = s.sdk().Open(h, 4, "10.0.0.7", 8);
         s.sdk().Close(h);
         return first == 0 ? s.sdk().Open(h, 4, "10.0.0.7", 8) : first;
     },
     0x1234},
    {{"GetConnectionInfo"}, "fail.GetConnectionInfo = 7\n",
     [](const SimHarness& s, AccelHandle h) { return identify(s, h).infoAnswer; }, 7},
    {{"GetErrorCodes"}, "fail.GetErrorCodes = 8\n",
     [](const SimHarness& s, AccelHandle h) { return identify(s, h).errorAnswer; }, 8},
    {{"StartDocLeavesTheDocumentUnstarted"}, "fail.StartDoc = 0x42\n",
     [](const SimHarness& s, AccelHandle h) {
         const int32_t doc = const_cast<SimHarness&>(s).startDocument(h);
         return doc == 0 ? s.sdk().EndDoc(h, 1) : 0u;
     },
     SimWrongOrder},
    {{"InitializeAnswersNull"}, "fail.Initialize = 1 @2\n",
     [](const SimHarness& s, AccelHandle) { return s.sdk().Initialize(0) ? 0u : 1u; }, 1},
    {{"EndLabel"}, "fail.EndLabel = 0x31\n",
     [](const SimHarness& s, AccelHandle h) {
         const int32_t doc = const_cast<SimHarness&>(s).startDocument(h);
         s.sdk().SetLabelOffset(h, doc, 1, 1, 0);
         s.sdk().Write(h, doc, "LABEL", 5);
         return s.sdk().EndLabel(h, doc, 1);
     },
     0x31},
};

INSTANTIATE_TEST_SUITE_P(Session, SimFault, ::testing::ValuesIn(faultCases),
                         ::testing::PrintToStringParamName());

struct MisuseCase : NamedCase
{
    // Gets a started session with a started document; answers the misused call.
    std::function<uint32_t(const AccelFunctionTable&, AccelHandle, int32_t)> call;
    uint32_t expected;
};

using SimMisuse = ::testing::TestWithParam<MisuseCase>;

TEST_P(SimMisuse, IsRefusedWithACodeAndLeavesTheSessionWorking)
{
    SimHarness sim;
    AccelHandle h = sim.start();
    const int32_t doc = sim.startDocument(h);
    ASSERT_NE(doc, 0);
    EXPECT_EQ(GetParam().call(sim.sdk(), h, doc), GetParam().expected);
    // Still a working device afterwards.
    EXPECT_EQ(sim.sdk().AbortDoc(h, doc), 0u);
    EXPECT_EQ(sim.sdk().DeleteDoc(h, doc), 0u);
    EXPECT_EQ(sim.sdk().Close(h), 0u);
    EXPECT_EQ(sim.sdk().Terminate(h, 0), 0u);
}

int anyObject;

const MisuseCase misuseCases[] = {
    {{"NullHandle"}, [](const AccelFunctionTable& t, AccelHandle, int32_t d) { return t.EndDoc(nullptr, d); },
     SimUnknownHandle},
    {{"ForeignHandle"}, [](const AccelFunctionTable& t, AccelHandle, int32_t) { return t.Close(&anyObject); },
     SimUnknownHandle},
    {{"UnknownDocument"}, [](const AccelFunctionTable& t, AccelHandle h, int32_t d) { return t.EndDoc(h, d + 1); },
     SimUnknownDocument},
    {{"NegativeDocument"},
     [](const AccelFunctionTable& t, AccelHandle h, int32_t) { return t.PrintDoc(h, -1, nullptr, nullptr); },
     SimUnknownDocument},
    {{"StartDocTwice"},
     [](const AccelFunctionTable& t, AccelHandle h, int32_t d) {
         const DocRecord r = docRecord(d, 32000, 45000);
         return t.StartDocFn(h, d, &r);
     },
     SimWrongOrder},
    {{"DocRecordOfAnotherDocument"},
     [](const AccelFunctionTable& t, AccelHandle h, int32_t) {
         int32_t other = 0;
         t.CreateDoc(h, &other);
         const DocRecord r = docRecord(other + 5, 32000, 45000);
         return t.StartDocFn(h, other, &r);
     },
     SimBadRecord},
    {{"DocRecordWithoutPageSize"},
     [](const AccelFunctionTable& t, AccelHandle h, int32_t) {
         int32_t other = 0;
         t.CreateDoc(h, &other);
         const DocRecord r = docRecord(other, 0, 45000);
         return t.StartDocFn(h, other, &r);
     },
     SimBadRecord},
    {{"NamesAfterStartDoc"},
     [](const AccelFunctionTable& t, AccelHandle h, int32_t d) { return t.SetPlatformName(h, d, "Windows", 7); },
     SimWrongOrder},
    {{"MeasurePageBeforePrintDoc"},
     [](const AccelFunctionTable& t, AccelHandle h, int32_t d) {
         std::vector<uint8_t> record(sizeof(MeasurementRecord));
         return t.MeasurePage(h, d, nullptr, 0, record.data(), 1);
     },
     SimWrongOrder},
    {{"PrintDocWithoutCallback"},
     [](const AccelFunctionTable& t, AccelHandle h, int32_t d) { return t.PrintDoc(h, d, nullptr, nullptr); },
     SimBadArgument},
    {{"EndLabelWithoutLabel"},
     [](const AccelFunctionTable& t, AccelHandle h, int32_t d) { return t.EndLabel(h, d, 1); },
     SimWrongOrder},
    {{"EmptyLabel"},
     [](const AccelFunctionTable& t, AccelHandle h, int32_t d) {
         t.SetLabelOffset(h, d, 1, 1, 0);
         return t.EndLabel(h, d, 1);
     },
     SimWrongOrder},
    {{"WriteOfNoBytes"}, [](const AccelFunctionTable& t, AccelHandle h, int32_t d) { return t.Write(h, d, "x", 0); },
     SimBadArgument},
    {{"WriteOfNegativeLength"},
     [](const AccelFunctionTable& t, AccelHandle h, int32_t d) { return t.Write(h, d, "x", -5); }, SimBadArgument},
    {{"TextOf255Bytes"},
     [](const AccelFunctionTable& t, AccelHandle h, int32_t) {
         const std::string model(255, 'M');
         return t.SetPrinterFn(h, model.data(), 255);
     },
     SimBadArgument},
    {{"SecondOpen"}, [](const AccelFunctionTable& t, AccelHandle h, int32_t) { return t.Open(h, 4, "10.0.0.7", 8); },
     SimWrongOrder},
    {{"DeleteRunningDocument"}, [](const AccelFunctionTable& t, AccelHandle h, int32_t d) { return t.DeleteDoc(h, d); },
     SimWrongOrder},
    {{"DeallocOfAForeignBlock"},
     [](const AccelFunctionTable& t, AccelHandle h, int32_t d) { return t.DeallocMeasurementData(h, d, &anyObject); },
     SimBadArgument},
    {{"NullRecords"},
     [](const AccelFunctionTable& t, AccelHandle h, int32_t d) {
         const uint32_t answers[] = {t.GetJobStatus(h, d, nullptr), t.GetConnectionInfo(h, nullptr),
                                     t.GetErrorCodes(h, nullptr), t.StartDocFn(h, d, nullptr)};
         return std::all_of(std::begin(answers), std::end(answers), [](uint32_t a) { return a == SimBadArgument; })
                    ? SimBadArgument
                    : 0u;
     },
     SimBadArgument},
    {{"ChartArgumentsNotZero"},
     [](const AccelFunctionTable& t, AccelHandle h, int32_t d) {
         ChartRecord r = {};
         return t.CreateChart(h, d, &r, 1, 0, nullptr, nullptr, nullptr, nullptr);
     },
     SimBadArgument},
    {{"UnusedSlot"}, [](const AccelFunctionTable& t, AccelHandle, int32_t) { return t.unused36[7](); },
     SimNotSupported},
    {{"SecondLoadLibraryInitialize"},
     [](const AccelFunctionTable& t, AccelHandle, int32_t) {
         return t.LoadLibraryInitialize(256, "/x", 2, "/t", 2, 0, nullptr);
     },
     SimWrongOrder},
};

INSTANTIATE_TEST_SUITE_P(Session, SimMisuse, ::testing::ValuesIn(misuseCases),
                         ::testing::PrintToStringParamName());

TEST(SimSession, CallsOutOfOrderBeforeASessionAreRefused)
{
    SimHarness sim;
    const AccelFunctionTable& t = sim.sdk();
    EXPECT_EQ(t.Initialize(0), nullptr);
    EXPECT_EQ(t.LoadLibraryTerminate(0), SimWrongOrder);
    EXPECT_EQ(t.LoadLibraryInitialize(256, "/x", 0, "/t", 2, 0, nullptr), SimBadArgument);
    EXPECT_EQ(t.LoadLibraryInitialize(3, "/x", 2, "/t", 2, 0, nullptr), SimBadArgument);
    ASSERT_EQ(t.LoadLibraryInitialize(256, "/x", 2, "/t", 2, 0, nullptr), 0u);
    EXPECT_EQ(t.Initialize(1), nullptr);
    AccelHandle h = t.Initialize(0);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(t.Open(h, 4, "10.0.0.7", 8), SimWrongOrder); // no printer set
    int32_t doc = 0;
    EXPECT_EQ(t.CreateDoc(h, &doc), SimNotConnected);
    EXPECT_EQ(t.SetPrinterFn(h, "ILS30EP", 7), 0u);
    EXPECT_EQ(t.Open(h, 9, "10.0.0.7", 8), SimBadArgument); // unknown connection code
    EXPECT_EQ(t.Close(h), SimNotConnected);
    // A second session is independent.
    AccelHandle other = t.Initialize(0);
    EXPECT_NE(other, h);
    EXPECT_EQ(t.Terminate(other, 0), 0u);
    EXPECT_EQ(t.Terminate(other, 0), SimUnknownHandle);
    EXPECT_EQ(t.LoadLibraryTerminate(0), 0u);
    EXPECT_EQ(t.Close(h), SimUnknownHandle); // the library took its sessions along
}

struct BindCase : NamedCase
{
    const char* scenario;
    int64_t tableSize;
    bool ownModule;
    uint32_t expected;
};

using SimBind = ::testing::TestWithParam<BindCase>;

TEST_P(SimBind, LoadFunctionChecksItsArgumentsAndTheScenario)
{
    const BindCase& c = GetParam();
    SimHarness sim(c.scenario);
    const AccelLoadFunction load = sim.library().loadFunction();
    ASSERT_NE(load, nullptr);
    std::vector<uint8_t> table(400, 0);
    EXPECT_EQ(load(c.ownModule ? sim.library().module() : &anyObject, table.data(), c.tableSize), c.expected);
    // A refused bind fills nothing.
    if (c.expected != 0)
        EXPECT_EQ(std::count(table.begin(), table.end(), 0), 400);
    else
        EXPECT_EQ(std::count(table.begin() + 352, table.end(), 0), 48);
}

const BindCase bindCases[] = {
    {{"TableOf352Bytes"}, "", 352, true, 0},
    {{"TableOf344Bytes"}, "", 344, true, SimBadTable},
    {{"ForeignModule"}, "", 352, false, SimBadArgument},
    {{"ScriptedFailure"}, "fail.LoadFunction = 5\n", 352, true, 5},
    {{"UnknownKey"}, "colour = blue\n", 352, true, SimBadScenario},
    {{"NoEqualsSign"}, "version ILS30EP\n", 352, true, SimBadScenario},
    {{"UnknownOperation"}, "fail.Print = 1\n", 352, true, SimBadScenario},
    {{"FaultCodeZero"}, "fail.Open = 0\n", 352, true, SimBadScenario},
    {{"BatchOver64"}, "chart.batch = 65\n", 352, true, SimBadScenario},
    {{"ThreadNeitherSdkNorCaller"}, "chart.thread = main\n", 352, true, SimBadScenario},
    {{"OctalLookingNumberIsDecimal"}, "connection = 010\n", 352, true, 0},
    {{"ProgressOnAStatusWithoutPercentage"}, "page.1 = 0x520 progress=5\n", 352, true, SimBadScenario},
    {{"PageZero"}, "page.0 = 0x100\n", 352, true, SimBadScenario},
    {{"StatusCodeNotANumber"}, "page.default = ready\n", 352, true, SimBadScenario},
    {{"NumberBeyond32Bits"}, "connection = 0x100000000\n", 352, true, SimBadScenario},
    {{"RecordDumpWithoutAFile"}, "dump.StartDoc =\n", 352, true, SimBadScenario},
    {{"ChartRecordDumpWithoutAFile"}, "dump.CreateChart =\n", 352, true, SimBadScenario},
    {{"DumpOfARecordlessOperation"}, "dump.Open = open.bin\n", 352, true, SimBadScenario},
};

INSTANTIATE_TEST_SUITE_P(Session, SimBind, ::testing::ValuesIn(bindCases),
                         ::testing::PrintToStringParamName());

TEST(SimSession, TheTraceRecordsEveryCallInOrderWithItsAnswer)
{
    SimHarness sim("trace = trace.txt\nfail.SetApplicationName = 0x66\n");
    AccelHandle h = sim.start();
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(sim.startDocument(h), 0);
    sim.sdk().Write(h, 1, "a\"b\x01", 4);
    sim.sdk().Terminate(h, 0);
    const QStringList expected = {
        QStringLiteral("LoadFunction(module=own, table=set, size=352) = 0"),
        QStringLiteral("LoadLibraryInitialize(flags=256, sdkFolder=\"%1\", tempFolder=\"/tmp\", reserved=0, "
                       "reserved2=null) = 0")
            .arg(sim.folder()),
        QStringLiteral("Initialize(flags=0) = 0 h=1"),
        QStringLiteral("SetPrinter(h=1, model=\"ILS30EP\") = 0"),
        QStringLiteral("Open(h=1, code=4, address=\"10.0.0.7\") = 0"),
        QStringLiteral("CreateDoc(h=1, doc=set) = 0 doc=1"),
        QStringLiteral("SetApplicationName(h=1, doc=1, text=\"Quorastelian\") = 0x66 (scenario fault)"),
        QStringLiteral("Write(h=1, doc=1, bytes=\"a\\\"b\\x01\", length=4) = 0xa0000004 (document not started, or "
                       "ended)"),
        QStringLiteral("Terminate(h=1, flags=0) = 0"),
    };
    EXPECT_EQ(sim.traceLines(), expected);
}

TEST(SimSession, ChartCallbacksAppearInTheTraceBeforeTheirCall)
{
    SimHarness sim("trace = trace.txt\n");
    AccelHandle h = sim.start();
    const int32_t doc = sim.startDocument(h);
    ASSERT_NE(doc, 0);
    uint8_t table[4] = {10, 20, 30, 40};
    ChartRecord r = {};
    r.mChannelCode = 3;
    r.mChannelCount = 4;
    r.mPatchCount = 1;
    r.mPatchesPerRow = 1;
    r.mResolutionX = r.mResolutionY = 254;
    r.mPatchWidth = r.mPatchHeight = 100;     // 10 px
    r.mChartWidth = r.mChartHeight = 1000;    // 100 px
    r.mColorTable = table;
    r.mChartType = 1;
    const AccelChartCallback accept = [](AccelHandle, int32_t, const void*, void*) -> uint32_t { return 0; };
    ASSERT_EQ(sim.sdk().CreateChart(h, doc, &r, 0, 0, accept, accept, accept, nullptr), 0u);
    const QStringList lines = sim.traceLines();
    const QStringList tail = lines.mid(lines.size() - 9);
    const QStringList expected = {
        QStringLiteral("-> ChartBegin(first=0, lines=0)"),  QStringLiteral("<- ChartBegin = 0"),
        QStringLiteral("-> ChartLines(first=0, lines=64)"), QStringLiteral("<- ChartLines = 0"),
        QStringLiteral("-> ChartLines(first=64, lines=36)"), QStringLiteral("<- ChartLines = 0"),
        QStringLiteral("-> ChartEnd(first=100, lines=0)"),  QStringLiteral("<- ChartEnd = 0"),
        QStringLiteral("CreateChart(h=1, doc=1, record{channels=4, code=3, patches=1/1, patch=100x100, "
                       "chart=1000x1000, dpi=254x254, type=1}, a=0, b=0) = 0 image=100x100 batch=64"),
    };
    EXPECT_EQ(tail, expected);
}

} // namespace
