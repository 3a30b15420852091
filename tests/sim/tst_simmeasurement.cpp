#include "simerror.h"
#include "simharness.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// One status as the status callback read it back through GetJobStatus.
struct Seen
{
    int32_t status;
    int32_t page;
    int32_t percent400;
    int32_t percent410;
    int32_t percent500;
    int32_t dataCount;
    int32_t errorCode;     // GetErrorCodes after 0xf00, else 0
    int32_t ilsErrorCode;
    int32_t blockBytes;    // bytes of the last data block fetched, or -1 when a fetch failed

    bool operator==(const Seen& o) const
    {
        return std::memcmp(this, &o, sizeof o) == 0;
    }
};

std::ostream& operator<<(std::ostream& out, const Seen& s)
{
    return out << std::hex << "{0x" << s.status << std::dec << " p" << s.page << " " << s.percent400 << "/"
               << s.percent410 << "/" << s.percent500 << " data " << s.dataCount << " err " << s.errorCode << ","
               << s.ilsErrorCode << " bytes " << s.blockBytes << "}";
}

// A status callback that behaves like the driver's: reads the status, fetches
// the data blocks of 0x520 and the error codes of 0xf00, releases final statuses.
struct StatusRecorder
{
    const AccelFunctionTable* sdk = nullptr;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Seen> seen;
    std::vector<std::thread::id> threads;
    std::vector<std::vector<uint8_t>> blocks;
    uint32_t jobStatusFailure = 0;
    bool endDocOnFirstStatus = false;

    static uint32_t callback(AccelHandle h, int32_t doc, void* user)
    {
        auto* self = static_cast<StatusRecorder*>(user);
        JobStatusRecord record = {};
        const uint32_t answer = self->sdk->GetJobStatus(h, doc, &record);
        Seen s = {record.mJobStatus, record.mCurrentPage, record.mPercent400, record.mPercent410,
                  record.mPercent500, record.mDataCount, 0, 0, 0};
        std::vector<std::vector<uint8_t>> fetched;
        if (answer == 0 && record.mJobStatus == AccelStatusReadyToReceiveData) {
            for (int32_t i = 0; i < record.mDataCount; ++i) {
                void* block = self->sdk->AllocMeasurementData(h, doc, record.mCurrentPage, i, -1);
                if (!block) {
                    s.blockBytes = -1;
                    break;
                }
                const auto* b = static_cast<const MeasurementDataBlock*>(block);
                fetched.emplace_back(b->mData, b->mData + b->mLength);
                s.blockBytes = b->mLength;
                if (self->sdk->DeallocMeasurementData(h, doc, block) != 0)
                    s.blockBytes = -1;
            }
        }
        if (answer == 0 && record.mJobStatus == AccelStatusError) {
            ErrorRecord errors = {};
            self->sdk->GetErrorCodes(h, &errors);
            s.errorCode = errors.mErrorCode;
            s.ilsErrorCode = errors.mILSErrorCode;
        }
        if (answer == 0 && (record.mJobStatus == AccelStatusCanceled || record.mJobStatus == AccelStatusError))
            self->sdk->ReleaseJobStatus(h, doc);
        bool endNow = false;
        {
            std::lock_guard<std::mutex> lock(self->mutex);
            if (answer != 0)
                self->jobStatusFailure = answer;
            self->seen.push_back(s);
            self->threads.push_back(std::this_thread::get_id());
            for (auto& bytes : fetched)
                self->blocks.push_back(std::move(bytes));
            endNow = self->endDocOnFirstStatus && self->seen.size() == 1;
        }
        if (endNow)
            self->sdk->EndDoc(h, doc);
        self->changed.notify_all();
        return answer;
    }

    bool waitFor(size_t count)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(20), [&] { return seen.size() >= count; });
    }
};

MeasurementRecord* measurementRecord(int32_t page, int32_t countX, int32_t countY)
{
    // Over a megabyte: never on the stack.
    static thread_local std::vector<uint8_t> storage(sizeof(MeasurementRecord));
    auto* r = reinterpret_cast<MeasurementRecord*>(storage.data());
    std::memset(r, 0, sizeof *r);
    r->mField0 = r->mField8 = r->mField36 = r->mField48 = r->mField76 = 1;
    r->mPageNumber = page;
    r->mLab = 1;
    r->mchartType = 2;
    r->mPatchCountX = countX;
    r->mPatchCountY = countY;
    r->mPatchSizeWidth = 1000;
    r->mPatchSizeHeight = 800;
    r->mStartPositionY = 2400;
    return r;
}

// A started, printing document with the recorder as its status callback.
struct PrintingDocument
{
    explicit PrintingDocument(const std::string& scenario) : sim(scenario)
    {
        recorder.sdk = &sim.sdk();
        h = sim.start();
        doc = sim.startDocument(h);
        if (doc) {
            sim.sdk().SetPrintOption(h, doc, 5000);
            printAnswer = sim.sdk().PrintDoc(h, doc, StatusRecorder::callback, &recorder);
        }
    }
    ~PrintingDocument()
    {
        // Stops the status thread before the recorder goes.
        if (h)
            sim.sdk().Terminate(h, 0);
    }
    uint32_t measure(int32_t page, int32_t countX = 4, int32_t countY = 3)
    {
        return sim.sdk().MeasurePage(h, doc, nullptr, 0, measurementRecord(page, countX, countY), 1);
    }

    SimHarness sim;
    StatusRecorder recorder;
    AccelHandle h = nullptr;
    int32_t doc = 0;
    uint32_t printAnswer = ~0u;
};

uint16_t expectedReflectance(uint64_t page, uint64_t block, uint64_t patch, uint64_t band)
{
    return uint16_t(500 + (page * 7919 + block * 104729 + patch * 31 + band * 97) % 9001);
}

int32_t int32At(const std::vector<uint8_t>& bytes, size_t offset)
{
    return int32_t(uint32_t(bytes[offset]) | uint32_t(bytes[offset + 1]) << 8 | uint32_t(bytes[offset + 2]) << 16
                   | uint32_t(bytes[offset + 3]) << 24);
}

TEST(SimMeasurement, PlaysTheScriptedSequenceOfEachPageOnAnSdkThread)
{
    PrintingDocument d("page.1 = 0x100; 0x400 progress=30; 0x410 progress=60; 0x500 progress=90; 0x520 data=2; 0x580\n"
                       "page.2 = 0x100; 0xb10\n"
                       "page.3 = 0x200; 0xf00 mStatus=3 mErrorCode=17 mILSErrorCode=4242\n"
                       "page.4 = 0x520 page=9 data=1; 0x800\n");
    ASSERT_EQ(d.printAnswer, 0u);
    for (int32_t page = 1; page <= 4; ++page)
        ASSERT_EQ(d.measure(page), 0u);
    ASSERT_TRUE(d.recorder.waitFor(12));

    // 4 x 3 patches: 32 header bytes + 12 patches x 36 bands x 2 bytes.
    const std::vector<Seen> expected = {
        {0x100, 1, 0, 0, 0, 0, 0, 0, 0},     {0x400, 1, 30, 0, 0, 0, 0, 0, 0},
        {0x410, 1, 0, 60, 0, 0, 0, 0, 0},    {0x500, 1, 0, 0, 90, 0, 0, 0, 0},
        {0x520, 1, 0, 0, 0, 2, 0, 0, 896},   {0x580, 1, 0, 0, 0, 0, 0, 0, 0},
        {0x100, 2, 0, 0, 0, 0, 0, 0, 0},     {0xb10, 2, 0, 0, 0, 0, 0, 0, 0},
        {0x200, 3, 0, 0, 0, 0, 0, 0, 0},     {0xf00, 3, 0, 0, 0, 0, 17, 4242, 0},
        {0x520, 9, 0, 0, 0, 1, 0, 0, 896},   {0x800, 4, 0, 0, 0, 0, 0, 0, 0},
    };
    {
        std::lock_guard<std::mutex> lock(d.recorder.mutex);
        EXPECT_EQ(d.recorder.seen, expected);
        for (std::thread::id id : d.recorder.threads)
            EXPECT_NE(id, std::this_thread::get_id());
        EXPECT_EQ(d.recorder.blocks.size(), 3u);
    }
    // The last callback may still be returning; the document finishes right after it.
    bool finished = false;
    for (int i = 0; i < 2000 && !finished; ++i) {
        finished = d.sim.sdk().IsDocFinished(d.h, d.doc) != 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(finished);
}

TEST(SimMeasurement, DataBlocksAreDeterministicSyntheticSpectra)
{
    PrintingDocument d("page.2 = 0x520 data=2\n");
    ASSERT_EQ(d.measure(2, 5, 2), 0u);
    ASSERT_TRUE(d.recorder.waitFor(1));
    std::lock_guard<std::mutex> lock(d.recorder.mutex);
    ASSERT_EQ(d.recorder.blocks.size(), 2u);
    for (int32_t index = 0; index < 2; ++index) {
        const std::vector<uint8_t>& block = d.recorder.blocks[size_t(index)];
        ASSERT_EQ(block.size(), 32u + 10u * 36u * 2u);
        EXPECT_EQ(std::string(block.begin(), block.begin() + 8), "ACCELMD1");
        EXPECT_EQ(int32At(block, 8), 2);
        EXPECT_EQ(int32At(block, 12), index);
        EXPECT_EQ(int32At(block, 16), 10);
        EXPECT_EQ(int32At(block, 20), 36);
        EXPECT_EQ(int32At(block, 24), 380);
        EXPECT_EQ(int32At(block, 28), 10);
        for (uint64_t patch = 0; patch < 10; ++patch) {
            for (uint64_t band = 0; band < 36; ++band) {
                const size_t at = 32 + size_t(patch * 36 + band) * 2;
                EXPECT_EQ(uint16_t(block[at] | block[at + 1] << 8),
                          expectedReflectance(2, uint64_t(index), patch, band));
            }
        }
    }
    EXPECT_NE(d.recorder.blocks[0], d.recorder.blocks[1]);
}

TEST(SimMeasurement, LastBlockReportsTheScriptedLengthAfterItsStall)
{
    PrintingDocument d("page.1 = 0x520 data=2 length=100 stall=20\n");
    ASSERT_EQ(d.measure(1), 0u);
    ASSERT_TRUE(d.recorder.waitFor(1));
    std::lock_guard<std::mutex> lock(d.recorder.mutex);
    ASSERT_EQ(d.recorder.blocks.size(), 2u);
    EXPECT_EQ(d.recorder.blocks[0].size(), 896u);
    // Only the length is wrong: the bytes it covers are the block's own.
    const std::vector<uint8_t>& last = d.recorder.blocks[1];
    ASSERT_EQ(last.size(), 100u);
    EXPECT_EQ(int32At(last, 12), 1);
    EXPECT_EQ(int32At(last, 16), 12);
    EXPECT_EQ(uint16_t(last[32] | last[33] << 8), expectedReflectance(1, 1, 0, 0));
}

struct MeasurementFaultCase : NamedCase
{
    const char* scenario;
    std::vector<Seen> expected;
    uint32_t jobStatusFailure;
};

using SimMeasurementFault = ::testing::TestWithParam<MeasurementFaultCase>;

TEST_P(SimMeasurementFault, ScriptedFaultsReachTheStatusCallback)
{
    const MeasurementFaultCase& c = GetParam();
    PrintingDocument d(std::string("page.1 = 0x400 progress=10; 0x520 data=1; 0x580\n") + c.scenario);
    ASSERT_EQ(d.measure(1), 0u);
    ASSERT_TRUE(d.recorder.waitFor(c.expected.size()));
    std::lock_guard<std::mutex> lock(d.recorder.mutex);
    EXPECT_EQ(d.recorder.seen, c.expected);
    EXPECT_EQ(d.recorder.jobStatusFailure, c.jobStatusFailure);
}

const MeasurementFaultCase measurementFaults[] = {
    {{"AllocFails"}, "fail.AllocMeasurementData = 1\n",
     {{0x400, 1, 10, 0, 0, 0, 0, 0, 0}, {0x520, 1, 0, 0, 0, 1, 0, 0, -1}, {0x580, 1, 0, 0, 0, 0, 0, 0, 0}}, 0},
    {{"DeallocFails"}, "fail.DeallocMeasurementData = 0x99\n",
     {{0x400, 1, 10, 0, 0, 0, 0, 0, 0}, {0x520, 1, 0, 0, 0, 1, 0, 0, -1}, {0x580, 1, 0, 0, 0, 0, 0, 0, 0}}, 0},
    {{"SecondJobStatusFails"}, "fail.GetJobStatus = 0x77 @2\n",
     {{0x400, 1, 10, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0, 0}, {0x580, 1, 0, 0, 0, 0, 0, 0, 0}}, 0x77},
};

INSTANTIATE_TEST_SUITE_P(Measurement, SimMeasurementFault, ::testing::ValuesIn(measurementFaults),
                         ::testing::PrintToStringParamName());

TEST(SimMeasurement, EndDocInsideTheCallbackStopsFurtherStatuses)
{
    PrintingDocument d("status.delay = 5\n");
    d.recorder.endDocOnFirstStatus = true;
    ASSERT_EQ(d.measure(1), 0u);
    ASSERT_TRUE(d.recorder.waitFor(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::lock_guard<std::mutex> lock(d.recorder.mutex);
    EXPECT_EQ(d.recorder.seen.size(), 1u);
}

TEST(SimMeasurement, NoStatusArrivesOnceAbortDocHasReturned)
{
    PrintingDocument d("page.default = 0x100; 0x400 progress=50 delay=50; 0x580 delay=50\n");
    ASSERT_EQ(d.measure(1), 0u);
    ASSERT_TRUE(d.recorder.waitFor(1));
    ASSERT_EQ(d.sim.sdk().AbortDoc(d.h, d.doc), 0u);
    size_t count = 0;
    {
        std::lock_guard<std::mutex> lock(d.recorder.mutex);
        count = d.recorder.seen.size();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    std::lock_guard<std::mutex> lock(d.recorder.mutex);
    EXPECT_EQ(d.recorder.seen.size(), count);
    EXPECT_LE(count, 2u);
}

TEST(SimMeasurement, DryingListAndPagesAreChecked)
{
    PrintingDocument d("");
    DryingRecord drying[2] = {};
    drying[0].mPositionY = 2500;
    drying[1].mPositionY = -1;
    const auto& sdk = d.sim.sdk();
    EXPECT_EQ(sdk.MeasurePage(d.h, d.doc, drying, 2, measurementRecord(1, 4, 3), 1), SimBadRecord);
    EXPECT_EQ(sdk.MeasurePage(d.h, d.doc, drying, 1, measurementRecord(1, 4, 3), 0), SimBadArgument);
    EXPECT_EQ(sdk.MeasurePage(d.h, d.doc, nullptr, 3, measurementRecord(1, 4, 3), 1), SimBadArgument);
    EXPECT_EQ(sdk.MeasurePage(d.h, d.doc, drying, 1, measurementRecord(0, 4, 3), 1), SimBadRecord);
    EXPECT_EQ(sdk.MeasurePage(d.h, d.doc, drying, 1, measurementRecord(1, 400, 400), 1), SimBadRecord);
    EXPECT_EQ(sdk.MeasurePage(d.h, d.doc, drying, 1, measurementRecord(1, 4, 3), 1), 0u);
    // Data of a page the SDK never reported, or past its block count, is refused.
    EXPECT_EQ(sdk.AllocMeasurementData(d.h, d.doc, 5, 0, -1), nullptr);
    ASSERT_TRUE(d.recorder.waitFor(5));
    EXPECT_EQ(sdk.AllocMeasurementData(d.h, d.doc, 1, 1, -1), nullptr);
    EXPECT_EQ(sdk.AllocMeasurementData(d.h, d.doc, 1, 0, 0), nullptr);
}

} // namespace
