#include "simerror.h"
#include "simharness.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>
#include <vector>

namespace {

// What the three callbacks saw of one chart.
struct ChartCapture
{
    const AccelFunctionTable* sdk = nullptr;
    const ChartRecord* expectedRecord = nullptr;
    std::mutex mutex;
    int begins = 0;
    int ends = 0;
    int width = 0;
    int height = 0;
    int bytesPerLine = 0;
    int maxBatch = 0;
    int batches = 0;
    int nextLine = 0;
    bool consistent = true;
    std::vector<std::thread::id> threads;
    std::vector<uint8_t> image;
    // Refusals: the begin callback, the line callback from this batch on (1-based), the end callback.
    uint32_t beginAnswer = 0;
    int refuseBatch = 0;
    uint32_t lineAnswer = 0;
    uint32_t endAnswer = 0;

    static uint32_t begin(AccelHandle h, int32_t doc, const void* data, void* user)
    {
        auto* self = static_cast<ChartCapture*>(user);
        const auto* d = static_cast<const ChartCallbackData*>(data);
        std::lock_guard<std::mutex> lock(self->mutex);
        ++self->begins;
        self->threads.push_back(std::this_thread::get_id());
        self->width = d->mWidth;
        self->height = d->mHeight;
        self->bytesPerLine = d->mBytesPerLine;
        self->consistent = self->consistent && d->mChartRecord == self->expectedRecord && !d->mLines
                           && d->mLineCount == 0;
        // The SDK must take calls from inside its own callbacks.
        self->sdk->IsDocFinished(h, doc);
        self->image.assign(size_t(d->mHeight) * size_t(d->mBytesPerLine), 0);
        return self->beginAnswer;
    }

    static uint32_t line(AccelHandle, int32_t, const void* data, void* user)
    {
        auto* self = static_cast<ChartCapture*>(user);
        const auto* d = static_cast<const ChartCallbackData*>(data);
        std::lock_guard<std::mutex> lock(self->mutex);
        ++self->batches;
        self->threads.push_back(std::this_thread::get_id());
        self->maxBatch = std::max(self->maxBatch, int(d->mLineCount));
        const bool inOrder = d->mFirstLine == self->nextLine && d->mLineCount > 0
                             && self->nextLine + d->mLineCount <= self->height && d->mWidth == self->width
                             && d->mBytesPerLine == self->bytesPerLine && d->mChartRecord == self->expectedRecord;
        self->consistent = self->consistent && inOrder;
        if (inOrder) {
            std::copy(d->mLines, d->mLines + size_t(d->mLineCount) * size_t(d->mBytesPerLine),
                      self->image.begin() + ptrdiff_t(size_t(d->mFirstLine) * size_t(d->mBytesPerLine)));
            self->nextLine += d->mLineCount;
        }
        return self->refuseBatch > 0 && self->batches >= self->refuseBatch ? self->lineAnswer : 0;
    }

    static uint32_t end(AccelHandle, int32_t, const void*, void* user)
    {
        auto* self = static_cast<ChartCapture*>(user);
        std::lock_guard<std::mutex> lock(self->mutex);
        ++self->ends;
        self->threads.push_back(std::this_thread::get_id());
        return self->endAnswer;
    }
};

struct ChartCase : NamedCase
{
    int32_t channels;
    int32_t perRow;
    int32_t patches;
    int32_t patchWidth;   // hundredths of a millimetre
    int32_t patchHeight;
    int32_t chartWidth;
    int32_t chartHeight;
    int32_t dpiX;
    int32_t dpiY;
    const char* scenario;
    int expectedWidth;    // pixels, worked out by hand
    int expectedHeight;
    int expectedMaxBatch;
    bool onCaller;
};

uint8_t tableByte(int patch, int channel)
{
    return uint8_t((patch * 37 + channel * 11 + 1) % 251);
}

// The record the driver writes, with a colour table of distinct patches.
ChartRecord chartRecord(const ChartCase& c, std::vector<uint8_t>& table)
{
    table.resize(size_t(c.patches) * size_t(c.channels));
    for (int p = 0; p < c.patches; ++p)
        for (int ch = 0; ch < c.channels; ++ch)
            table[size_t(p * c.channels + ch)] = tableByte(p, ch);
    ChartRecord r = {};
    r.mField0 = r.mField4 = 1;
    r.mChannelCode = c.channels < 4 ? 2 : c.channels == 4 ? 3 : 255;
    r.mPatchCount = c.patches;
    r.mResolutionX = c.dpiX;
    r.mResolutionY = c.dpiY;
    r.mPatchWidth = c.patchWidth;
    r.mPatchHeight = c.patchHeight;
    if (r.mChannelCode == 2)
        r.mBackground[0] = r.mBackground[1] = r.mBackground[2] = 0xff;
    r.mPatchesPerRow = c.perRow;
    for (int32_t& v : r.mField68)
        v = 300;
    r.mChartWidth = c.chartWidth;
    r.mChartHeight = c.chartHeight;
    r.mField116 = 4000;
    r.mField132 = 64;
    r.mColorTable = table.data();
    r.mChannelCount = c.channels;
    r.mChartType = 2;
    return r;
}

using SimChart = ::testing::TestWithParam<ChartCase>;

TEST_P(SimChart, RendersTheColourTableOnTheChartGeometryBatchByBatch)
{
    const ChartCase& c = GetParam();
    SimHarness sim(c.scenario);
    ASSERT_EQ(sim.bindAnswer(), 0u);
    AccelHandle h = sim.start();
    const int32_t doc = sim.startDocument(h);
    ASSERT_NE(doc, 0);
    std::vector<uint8_t> table;
    const ChartRecord record = chartRecord(c, table);
    ChartCapture capture;
    capture.sdk = &sim.sdk();
    capture.expectedRecord = &record;

    EXPECT_EQ(sim.sdk().CreateChart(h, doc, &record, 0, 0, ChartCapture::line, ChartCapture::begin,
                                    ChartCapture::end, &capture),
              0u);

    EXPECT_EQ(capture.begins, 1);
    EXPECT_EQ(capture.ends, 1);
    EXPECT_TRUE(capture.consistent);
    ASSERT_EQ(capture.width, c.expectedWidth);
    ASSERT_EQ(capture.height, c.expectedHeight);
    EXPECT_EQ(capture.bytesPerLine, c.expectedWidth * c.channels);
    EXPECT_EQ(capture.nextLine, c.expectedHeight);
    EXPECT_EQ(capture.maxBatch, c.expectedMaxBatch);
    for (std::thread::id id : capture.threads)
        EXPECT_EQ(id == std::this_thread::get_id(), c.onCaller);

    // Patches are blocks of the converted patch size, in colour-table order,
    // the grid centred; everything else is background.
    const int pw = c.patchWidth * c.dpiX / 2540;
    const int ph = c.patchHeight * c.dpiY / 2540;
    const int rows = (c.patches + c.perRow - 1) / c.perRow;
    const int left = (c.expectedWidth - c.perRow * pw) / 2;
    const int top = (c.expectedHeight - rows * ph) / 2;
    int mismatches = 0;
    for (int y = 0; y < capture.height; ++y) {
        for (int x = 0; x < capture.width; ++x) {
            const bool inGrid = x >= left && x < left + c.perRow * pw && y >= top && y < top + rows * ph;
            const int patch = inGrid ? (y - top) / ph * c.perRow + (x - left) / pw : -1;
            for (int ch = 0; ch < c.channels; ++ch) {
                const uint8_t expected = patch >= 0 && patch < c.patches ? tableByte(patch, ch)
                                                                         : record.mBackground[ch];
                mismatches += capture.image[size_t(y) * size_t(capture.bytesPerLine) + size_t(x * c.channels + ch)]
                              != expected;
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(sim.sdk().AbortDoc(h, doc), 0u);
    EXPECT_EQ(sim.sdk().DeleteDoc(h, doc), 0u);
    EXPECT_EQ(sim.sdk().Close(h), 0u);
    EXPECT_EQ(sim.sdk().Terminate(h, 0), 0u);
    EXPECT_EQ(sim.sdk().LoadLibraryTerminate(0), 0u);
}

// Sizes: 8500 hundredths at 72 dpi = 240.9 -> 240 px; patch 1000 -> 28 px, 800 -> 22 px.
const ChartCase chartCases[] = {
    {{"FourChannelsOnAnSdkThread"}, 4, 4, 12, 1000, 800, 8500, 8000, 72, 72, "", 240, 226, 64, false},
    {{"ThreeChannelsWhiteBackgroundPaddedRow"}, 3, 5, 7, 700, 700, 8000, 7000, 100, 100, "chart.batch = 10\n", 314,
     275, 10, false},
    {{"SixChannelsOnTheCallerThread"}, 6, 2, 4, 1200, 900, 6900, 7400, 150, 120,
     "chart.thread = caller\nchart.batch = 1\n", 407, 349, 1, true},
    {{"OneChannelManyBatches"}, 1, 10, 100, 500, 500, 9540, 10600, 300, 300, "", 1126, 1251, 64, false},
};

INSTANTIATE_TEST_SUITE_P(Charts, SimChart, ::testing::ValuesIn(chartCases),
                         ::testing::PrintToStringParamName());

struct StopCase : NamedCase
{
    uint32_t beginAnswer;
    int refuseBatch;
    uint32_t endAnswer;
    uint32_t expectedAnswer;
    int expectedBatches;
    int expectedEnds;
};

using SimChartStop = ::testing::TestWithParam<StopCase>;

TEST_P(SimChartStop, ARefusingCallbackStopsTheChartWithItsAnswer)
{
    const StopCase& c = GetParam();
    SimHarness sim("chart.batch = 8\n");
    AccelHandle h = sim.start();
    const int32_t doc = sim.startDocument(h);
    ASSERT_NE(doc, 0);
    std::vector<uint8_t> table;
    const ChartRecord record = chartRecord(chartCases[0], table);
    ChartCapture capture;
    capture.sdk = &sim.sdk();
    capture.expectedRecord = &record;
    capture.beginAnswer = c.beginAnswer;
    capture.refuseBatch = c.refuseBatch;
    capture.lineAnswer = 0x800002;
    capture.endAnswer = c.endAnswer;

    EXPECT_EQ(sim.sdk().CreateChart(h, doc, &record, 0, 0, ChartCapture::line, ChartCapture::begin,
                                    ChartCapture::end, &capture),
              c.expectedAnswer);
    EXPECT_EQ(capture.begins, 1);
    EXPECT_EQ(capture.batches, c.expectedBatches);
    EXPECT_EQ(capture.ends, c.expectedEnds);
    // The document is free again: it can be ended.
    EXPECT_EQ(sim.sdk().EndDoc(h, doc), 0u);
}

const StopCase stopCases[] = {
    {{"BeginRefuses"}, 0x800002, 0, 0, 0x800002, 0, 0},
    {{"ThirdBatchRefuses"}, 0, 3, 0, 0x800002, 3, 0},
    {{"EndAnswerIsPassedOn"}, 0, 0, 0x55, 0x55, 29, 1}, // 226 lines in batches of 8
};

INSTANTIATE_TEST_SUITE_P(Charts, SimChartStop, ::testing::ValuesIn(stopCases),
                         ::testing::PrintToStringParamName());

struct RejectCase : NamedCase
{
    void (*spoil)(ChartRecord&);
};

using SimChartReject = ::testing::TestWithParam<RejectCase>;

TEST_P(SimChartReject, ARecordNoDeviceCanLayOutIsRefusedWithoutCallbacks)
{
    SimHarness sim;
    AccelHandle h = sim.start();
    const int32_t doc = sim.startDocument(h);
    ASSERT_NE(doc, 0);
    std::vector<uint8_t> table;
    ChartRecord record = chartRecord(chartCases[0], table);
    GetParam().spoil(record);
    ChartCapture capture;
    capture.sdk = &sim.sdk();
    EXPECT_EQ(sim.sdk().CreateChart(h, doc, &record, 0, 0, ChartCapture::line, ChartCapture::begin,
                                    ChartCapture::end, &capture),
              SimBadRecord);
    EXPECT_EQ(capture.begins + capture.batches + capture.ends, 0);
}

const RejectCase rejectCases[] = {
    {{"NoColourTable"}, [](ChartRecord& r) { r.mColorTable = nullptr; }},
    {{"ChannelCodeOfThreeChannels"}, [](ChartRecord& r) { r.mChannelCode = 2; }},
    {{"MoreChannelsThanTheBackgroundHolds"}, [](ChartRecord& r) { r.mChannelCount = 33; r.mChannelCode = 255; }},
    {{"ZeroResolution"}, [](ChartRecord& r) { r.mResolutionY = 0; }},
    {{"NegativeChartWidth"}, [](ChartRecord& r) { r.mChartWidth = -8500; }},
    {{"PatchBelowOnePixel"}, [](ChartRecord& r) { r.mPatchWidth = 10; }},
    {{"PatchesWiderThanTheChart"}, [](ChartRecord& r) { r.mPatchesPerRow = 12; r.mPatchCount = 12; }},
    {{"NoPatchesPerRow"}, [](ChartRecord& r) { r.mPatchesPerRow = 0; }},
    {{"ChartTypeThree"}, [](ChartRecord& r) { r.mChartType = 3; }},
    {{"ImageOverAMillionPixelsHigh"}, [](ChartRecord& r) { r.mChartHeight = INT32_MAX; r.mResolutionY = 9600; }},
};

INSTANTIATE_TEST_SUITE_P(Charts, SimChartReject, ::testing::ValuesIn(rejectCases),
                         ::testing::PrintToStringParamName());

} // namespace
