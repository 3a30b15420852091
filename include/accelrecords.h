#ifndef LUMETRA_ACCELRECORDS_H
#define LUMETRA_ACCELRECORDS_H

// Records exchanged with the ACCEL SDK: little-endian byte layouts at fixed
// offsets, packed so that the compiler adds nothing, every offset asserted.
// Lengths are hundredths of a millimetre. Fields named mFieldN (N = offset)
// carry values whose meaning belongs to the SDK; the comment gives what lumetra
// writes there.

#include <cstddef>
#include <cstdint>

static_assert(sizeof(void*) == 8, "SDK records hold 64-bit pointers");

#pragma pack(push, 1)

// Given to StartDoc.
struct DocRecord
{
    int32_t mField0;           // 1
    int32_t mDocId;            // the id from CreateDoc
    int32_t mField8;           // 1
    int32_t mField12;          // 2
    int32_t mField16;          // 0
    int32_t mField20;          // 360
    int32_t mField24;          // 360
    int32_t mPageWidth;
    int32_t mPageHeight;
    int32_t mField36;          // 0
    int32_t mField40;          // 0
    int32_t mMediaWidth;       // the page width again
    int32_t mMediaHeight;      // the page height again
    char mDocName[1024];       // "sample"
    int32_t mField1076;        // 0
    int64_t mDocNameLength;
    char mUserName[1024];      // "user"
    int64_t mUserNameLength;
    int32_t mField2120;        // 60
    int32_t mModeA;
    int64_t mField2128;        // 0
    int32_t mModeB;
    int32_t mModeC;
    int32_t mField2144;        // 0
    int64_t mField2148;        // 0
    uint8_t mReserved2156[516];
};

// Filled by GetConnectionInfo.
struct ConnectionInfoRecord
{
    int32_t mField0;
    int32_t mConnectionStatus; // 1 = connected
    uint8_t mReserved8[512];
};

// Filled by GetErrorCodes.
struct ErrorRecord
{
    int32_t mField0;
    uint32_t mAccelConnectionStatus; // only bit 0 is used
    int32_t mStatus;
    int32_t mErrorCode;
    int32_t mILSErrorCode;
    uint8_t mReserved20[108];
    char mVersion[256];              // zero-terminated version text of the spectrophotometer
    uint8_t mReserved384[1424];
};

// Given to CreateChart; lumetra writes bytes 0 to 155.
struct ChartRecord
{
    int32_t mField0;           // 1
    int32_t mField4;           // 1
    int32_t mChannelCode;      // 2 below 4 channels, 3 at 4, 255 above 4
    int32_t mPatchCount;
    int32_t mResolutionX;      // dots per inch
    int32_t mResolutionY;
    int32_t mPatchWidth;
    int32_t mPatchHeight;
    uint8_t mBackground[32];   // one byte per channel
    int32_t mPatchesPerRow;
    int32_t mField68[8];       // 300 each
    int32_t mChartWidth;
    int32_t mChartHeight;
    int32_t mField108;         // 0
    int32_t mField112;         // 0
    int32_t mField116;         // 4000
    int32_t mField120;         // 0
    int32_t mField124;         // 0
    int32_t mField128;         // 0
    int32_t mField132;         // 64
    const uint8_t* mColorTable; // one pixel of mChannelCount bytes per patch, rows of mPatchesPerRow
    int32_t mChannelCount;
    int32_t mChartType;        // 1 for ILS20EP, else 2
    int32_t mField152;         // 0
    uint8_t mReserved156[516];
};

// The data pointer of the three chart callbacks.
struct ChartCallbackData
{
    int32_t mSize;             // sizeof(ChartCallbackData)
    int32_t mFirstLine;        // index of the first line of this batch
    const ChartRecord* mChartRecord;
    const uint8_t* mLines;     // null in the begin and end callbacks
    int32_t mChannelCount;
    int32_t mReserved28;
    int32_t mWidth;            // pixels
    int32_t mHeight;           // pixels
    int32_t mBytesPerLine;
    int32_t mReserved44;
    int32_t mLineCount;        // lines at mLines; 0 in the begin and end callbacks
    int32_t mReserved52;
};

// Given to MeasurePage, one per page.
struct MeasurementRecord
{
    int32_t mField0;           // 1
    int32_t mPageNumber;       // 1-based
    int32_t mField8;           // 1
    int32_t mSpectral;
    int32_t mLab;
    int32_t mXYZ;
    int32_t mYxy;
    int32_t mLch;
    int32_t mCalibration;
    int32_t mField36;          // 1
    int32_t mField40;          // 0
    int32_t mchartType;
    int32_t mField48;          // 1
    int32_t mPatchCountX;
    int32_t mPatchCountY;
    int32_t mPatchSizeWidth;
    int32_t mPatchSizeHeight;  // negative with take-up
    int32_t mStartPositionX;
    int32_t mStartPositionY;
    int32_t mField76;          // 1
    uint8_t mReserved80[565208];
    int32_t mField565288;      // 0
    uint8_t mReserved565292[540672];
    int32_t mUVFilter;
    int32_t mM0;
    uint8_t mReserved1105972[504];
};

// One entry of the artificial drying list given to MeasurePage.
struct DryingRecord
{
    int32_t mField0;           // 1
    int32_t mField4;           // 1
    int32_t mDryTime;
    int32_t mField12;          // 70
    int32_t mPositionY;
    uint8_t mReserved20[512];
};

// Filled by GetJobStatus.
struct JobStatusRecord
{
    int32_t mDocId;
    int32_t mReserved4;
    int32_t mJobStatus;
    int32_t mCurrentPage;      // 1-based
    int32_t mReserved16[2];
    int32_t mPercent400;       // percentage reported with status 0x400
    int32_t mReserved28;
    int32_t mPercent410;       // percentage reported with status 0x410
    int32_t mReserved36;
    int32_t mPercent500;       // percentage reported with status 0x500
    int32_t mReserved44;
    int32_t mDataCount;        // measurement data blocks held for the page
    uint8_t mReserved52[1036];
};

// Returned by AllocMeasurementData, given back to DeallocMeasurementData.
struct MeasurementDataBlock
{
    int32_t mPage;             // 1-based
    int32_t mIndex;
    uint8_t mReserved8[24];
    const uint8_t* mData;
    int32_t mLength;
    int32_t mReserved44;
};

#pragma pack(pop)

static_assert(sizeof(DocRecord) == 2672, "DocRecord size");
static_assert(offsetof(DocRecord, mDocId) == 4, "DocRecord offset");
static_assert(offsetof(DocRecord, mField20) == 20, "DocRecord offset");
static_assert(offsetof(DocRecord, mPageWidth) == 28, "DocRecord offset");
static_assert(offsetof(DocRecord, mPageHeight) == 32, "DocRecord offset");
static_assert(offsetof(DocRecord, mMediaWidth) == 44, "DocRecord offset");
static_assert(offsetof(DocRecord, mMediaHeight) == 48, "DocRecord offset");
static_assert(offsetof(DocRecord, mDocName) == 52, "DocRecord offset");
static_assert(offsetof(DocRecord, mField1076) == 1076, "DocRecord offset");
static_assert(offsetof(DocRecord, mDocNameLength) == 1080, "DocRecord offset");
static_assert(offsetof(DocRecord, mUserName) == 1088, "DocRecord offset");
static_assert(offsetof(DocRecord, mUserNameLength) == 2112, "DocRecord offset");
static_assert(offsetof(DocRecord, mField2120) == 2120, "DocRecord offset");
static_assert(offsetof(DocRecord, mModeA) == 2124, "DocRecord offset");
static_assert(offsetof(DocRecord, mField2128) == 2128, "DocRecord offset");
static_assert(offsetof(DocRecord, mModeB) == 2136, "DocRecord offset");
static_assert(offsetof(DocRecord, mModeC) == 2140, "DocRecord offset");
static_assert(offsetof(DocRecord, mField2144) == 2144, "DocRecord offset");
static_assert(offsetof(DocRecord, mField2148) == 2148, "DocRecord offset");
static_assert(offsetof(DocRecord, mReserved2156) == 2156, "DocRecord offset");

static_assert(sizeof(ConnectionInfoRecord) == 520, "ConnectionInfoRecord size");
static_assert(offsetof(ConnectionInfoRecord, mConnectionStatus) == 4, "ConnectionInfoRecord offset");

static_assert(sizeof(ErrorRecord) == 1808, "ErrorRecord size");
static_assert(offsetof(ErrorRecord, mAccelConnectionStatus) == 4, "ErrorRecord offset");
static_assert(offsetof(ErrorRecord, mStatus) == 8, "ErrorRecord offset");
static_assert(offsetof(ErrorRecord, mErrorCode) == 12, "ErrorRecord offset");
static_assert(offsetof(ErrorRecord, mILSErrorCode) == 16, "ErrorRecord offset");
static_assert(offsetof(ErrorRecord, mVersion) == 128, "ErrorRecord offset");

static_assert(sizeof(ChartRecord) == 672, "ChartRecord size");
static_assert(offsetof(ChartRecord, mChannelCode) == 8, "ChartRecord offset");
static_assert(offsetof(ChartRecord, mPatchCount) == 12, "ChartRecord offset");
static_assert(offsetof(ChartRecord, mResolutionX) == 16, "ChartRecord offset");
static_assert(offsetof(ChartRecord, mResolutionY) == 20, "ChartRecord offset");
static_assert(offsetof(ChartRecord, mPatchWidth) == 24, "ChartRecord offset");
static_assert(offsetof(ChartRecord, mPatchHeight) == 28, "ChartRecord offset");
static_assert(offsetof(ChartRecord, mBackground) == 32, "ChartRecord offset");
static_assert(offsetof(ChartRecord, mPatchesPerRow) == 64, "ChartRecord offset");
static_assert(offsetof(ChartRecord, mField68) == 68, "ChartRecord offset");
static_assert(offsetof(ChartRecord, mChartWidth) == 100, "ChartRecord offset");
static_assert(offsetof(ChartRecord, mChartHeight) == 104, "ChartRecord offset");
static_assert(offsetof(ChartRecord, mField116) == 116, "ChartRecord offset");
static_assert(offsetof(ChartRecord, mField132) == 132, "ChartRecord offset");
static_assert(offsetof(ChartRecord, mColorTable) == 136, "ChartRecord offset");
static_assert(offsetof(ChartRecord, mChannelCount) == 144, "ChartRecord offset");
static_assert(offsetof(ChartRecord, mChartType) == 148, "ChartRecord offset");
static_assert(offsetof(ChartRecord, mField152) == 152, "ChartRecord offset");
static_assert(offsetof(ChartRecord, mReserved156) == 156, "ChartRecord offset");

static_assert(sizeof(ChartCallbackData) == 56, "ChartCallbackData size");
static_assert(offsetof(ChartCallbackData, mChartRecord) == 8, "ChartCallbackData offset");
static_assert(offsetof(ChartCallbackData, mLines) == 16, "ChartCallbackData offset");
static_assert(offsetof(ChartCallbackData, mWidth) == 32, "ChartCallbackData offset");
static_assert(offsetof(ChartCallbackData, mHeight) == 36, "ChartCallbackData offset");
static_assert(offsetof(ChartCallbackData, mBytesPerLine) == 40, "ChartCallbackData offset");
static_assert(offsetof(ChartCallbackData, mLineCount) == 48, "ChartCallbackData offset");

static_assert(sizeof(MeasurementRecord) == 1106476, "MeasurementRecord size");
static_assert(offsetof(MeasurementRecord, mPageNumber) == 4, "MeasurementRecord offset");
static_assert(offsetof(MeasurementRecord, mSpectral) == 12, "MeasurementRecord offset");
static_assert(offsetof(MeasurementRecord, mLab) == 16, "MeasurementRecord offset");
static_assert(offsetof(MeasurementRecord, mXYZ) == 20, "MeasurementRecord offset");
static_assert(offsetof(MeasurementRecord, mYxy) == 24, "MeasurementRecord offset");
static_assert(offsetof(MeasurementRecord, mLch) == 28, "MeasurementRecord offset");
static_assert(offsetof(MeasurementRecord, mCalibration) == 32, "MeasurementRecord offset");
static_assert(offsetof(MeasurementRecord, mField36) == 36, "MeasurementRecord offset");
static_assert(offsetof(MeasurementRecord, mchartType) == 44, "MeasurementRecord offset");
static_assert(offsetof(MeasurementRecord, mPatchCountX) == 52, "MeasurementRecord offset");
static_assert(offsetof(MeasurementRecord, mPatchCountY) == 56, "MeasurementRecord offset");
static_assert(offsetof(MeasurementRecord, mPatchSizeWidth) == 60, "MeasurementRecord offset");
static_assert(offsetof(MeasurementRecord, mPatchSizeHeight) == 64, "MeasurementRecord offset");
static_assert(offsetof(MeasurementRecord, mStartPositionX) == 68, "MeasurementRecord offset");
static_assert(offsetof(MeasurementRecord, mStartPositionY) == 72, "MeasurementRecord offset");
static_assert(offsetof(MeasurementRecord, mField76) == 76, "MeasurementRecord offset");
static_assert(offsetof(MeasurementRecord, mField565288) == 565288, "MeasurementRecord offset");
static_assert(offsetof(MeasurementRecord, mUVFilter) == 1105964, "MeasurementRecord offset");
static_assert(offsetof(MeasurementRecord, mM0) == 1105968, "MeasurementRecord offset");

static_assert(sizeof(DryingRecord) == 532, "DryingRecord size");
static_assert(offsetof(DryingRecord, mDryTime) == 8, "DryingRecord offset");
static_assert(offsetof(DryingRecord, mField12) == 12, "DryingRecord offset");
static_assert(offsetof(DryingRecord, mPositionY) == 16, "DryingRecord offset");

static_assert(sizeof(JobStatusRecord) == 1088, "JobStatusRecord size");
static_assert(offsetof(JobStatusRecord, mJobStatus) == 8, "JobStatusRecord offset");
static_assert(offsetof(JobStatusRecord, mCurrentPage) == 12, "JobStatusRecord offset");
static_assert(offsetof(JobStatusRecord, mPercent400) == 24, "JobStatusRecord offset");
static_assert(offsetof(JobStatusRecord, mPercent410) == 32, "JobStatusRecord offset");
static_assert(offsetof(JobStatusRecord, mPercent500) == 40, "JobStatusRecord offset");
static_assert(offsetof(JobStatusRecord, mDataCount) == 48, "JobStatusRecord offset");

static_assert(sizeof(MeasurementDataBlock) == 48, "MeasurementDataBlock size");
static_assert(offsetof(MeasurementDataBlock, mData) == 32, "MeasurementDataBlock offset");
static_assert(offsetof(MeasurementDataBlock, mLength) == 40, "MeasurementDataBlock offset");

#endif
