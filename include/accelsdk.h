#ifndef LUMETRA_ACCELSDK_H
#define LUMETRA_ACCELSDK_H

// The ACCEL SDK as lumetra binds it: the exported entry point, the 44-slot
// function table it fills, the callbacks it calls and the binding kept by the
// driver. Plain C++ so that the simulator shares it without Qt.

#include <atomic>
#include <cstddef>
#include <cstdint>

static_assert(sizeof(void*) == 8, "the ACCEL SDK is a 64-bit library");

typedef void* AccelHandle;

// Chart begin, line and end callbacks; data points at a ChartCallbackData.
typedef uint32_t (*AccelChartCallback)(AccelHandle handle, int32_t doc, const void* data, void* user);
// Status callback of a printing document; may run on an SDK thread.
typedef uint32_t (*AccelStatusCallback)(AccelHandle handle, int32_t doc, void* user);

// The library's only export. table points at the first of the 44 slots.
typedef uint32_t (*AccelLoadFunction)(void* module, void* table, int64_t tableSize);

#define ACCEL_LOAD_FUNCTION_NAME "ACCEL_LoadFunction"

// Job status codes with a meaning of their own to the driver; the SDK reports others too.
enum AccelJobStatus : int32_t {
    AccelStatusReadyToReceiveData = 0x520,
    AccelStatusCanceled = 0xb10,
    AccelStatusError = 0xf00
};

typedef AccelHandle (*AccelInitializeFunction)(int32_t flags);
typedef uint32_t (*AccelSetPrinterFunction)(AccelHandle h, const char* model, int64_t length);
typedef uint32_t (*AccelTerminateFunction)(AccelHandle h, int32_t flags);
typedef uint32_t (*AccelCreateDocFunction)(AccelHandle h, int32_t* doc);
typedef uint32_t (*AccelDocFunction)(AccelHandle h, int32_t doc);
typedef uint32_t (*AccelStartDocFunction)(AccelHandle h, int32_t doc, const void* docRecord);
typedef uint32_t (*AccelPrintDocFunction)(AccelHandle h, int32_t doc, AccelStatusCallback callback, void* user);
typedef uint32_t (*AccelMeasurePageFunction)(AccelHandle h, int32_t doc, const void* dryingList,
                                             int64_t dryingCount, const void* measurementRecord, int64_t flags);
typedef uint32_t (*AccelWriteFunction)(AccelHandle h, int32_t doc, const char* bytes, int64_t length);
typedef uint32_t (*AccelOpenFunction)(AccelHandle h, int32_t connectionCode, const char* address, int64_t length);
typedef uint32_t (*AccelRecordFunction)(AccelHandle h, void* record);
typedef uint32_t (*AccelGetJobStatusFunction)(AccelHandle h, int32_t doc, void* jobStatusRecord);
typedef void* (*AccelAllocMeasurementDataFunction)(AccelHandle h, int32_t doc, int32_t page, int32_t index,
                                                     int32_t flags);
typedef uint32_t (*AccelDeallocMeasurementDataFunction)(AccelHandle h, int32_t doc, void* block);
typedef uint32_t (*AccelSetLabelOffsetFunction)(AccelHandle h, int32_t doc, int32_t a, int32_t b, int32_t c);
typedef uint32_t (*AccelEndLabelFunction)(AccelHandle h, int32_t doc, int32_t flag);
typedef uint32_t (*AccelCloseFunction)(AccelHandle h);
typedef uint32_t (*AccelCreateChartFunction)(AccelHandle h, int32_t doc, const void* chartRecord, int32_t a,
                                             int32_t b, AccelChartCallback line, AccelChartCallback begin,
                                             AccelChartCallback end, void* user);
typedef uint32_t (*AccelLoadLibraryInitializeFunction)(int32_t flags, const char* sdkFolder,
                                                       int64_t sdkFolderLength, const char* tempFolder,
                                                       int64_t tempFolderLength, int32_t reserved, void* reserved2);
typedef uint32_t (*AccelLoadLibraryTerminateFunction)(int32_t flags);
typedef uint32_t (*AccelDocTextFunction)(AccelHandle h, int32_t doc, const char* text, int64_t length);
typedef uint32_t (*AccelSetPrintOptionFunction)(AccelHandle h, int32_t doc, int32_t option);
// Slots lumetra never calls; their prototypes are unknown.
typedef uint32_t (*AccelUnusedFunction)();

// The 44 slots filled by ACCEL_LoadFunction, in slot order. Members are named
// after the SDK's operations, except where <windows.h> defines the name as a
// macro (SetPrinter, StartDoc): those carry "Fn", so a host including both builds.
struct AccelFunctionTable
{
    AccelInitializeFunction Initialize;                         // 0
    AccelSetPrinterFunction SetPrinterFn;                       // 1
    AccelTerminateFunction Terminate;                           // 2
    AccelCreateDocFunction CreateDoc;                           // 3
    AccelDocFunction DeleteDoc;                                 // 4
    AccelStartDocFunction StartDocFn;                           // 5
    AccelDocFunction EndDoc;                                    // 6
    AccelPrintDocFunction PrintDoc;                             // 7
    AccelDocFunction ReleaseJobStatus;                          // 8
    AccelDocFunction AbortDoc;                                  // 9
    AccelMeasurePageFunction MeasurePage;                       // 10
    AccelWriteFunction Write;                                   // 11
    AccelDocFunction IsDocFinished;                             // 12: non-zero = finished
    AccelUnusedFunction unused13;                               // 13
    AccelOpenFunction Open;                                     // 14
    AccelRecordFunction GetConnectionInfo;                      // 15
    AccelGetJobStatusFunction GetJobStatus;                     // 16
    AccelUnusedFunction unused17;                               // 17
    AccelUnusedFunction unused18;                               // 18
    AccelRecordFunction GetErrorCodes;                          // 19
    AccelUnusedFunction unused20;                               // 20
    AccelAllocMeasurementDataFunction AllocMeasurementData;     // 21: null = failure
    AccelDeallocMeasurementDataFunction DeallocMeasurementData; // 22
    AccelUnusedFunction unused23;                               // 23
    AccelUnusedFunction unused24;                               // 24
    AccelSetLabelOffsetFunction SetLabelOffset;                 // 25
    AccelEndLabelFunction EndLabel;                             // 26
    AccelCloseFunction Close;                                   // 27
    AccelCreateChartFunction CreateChart;                       // 28
    AccelLoadLibraryInitializeFunction LoadLibraryInitialize;   // 29
    AccelLoadLibraryTerminateFunction LoadLibraryTerminate;     // 30
    AccelDocTextFunction SetApplicationName;                    // 31
    AccelDocTextFunction SetPlatformName;                       // 32
    AccelUnusedFunction unused33;                               // 33
    AccelUnusedFunction unused34;                               // 34
    AccelSetPrintOptionFunction SetPrintOption;                 // 35
    AccelUnusedFunction unused36[8];                            // 36 to 43
};

constexpr int64_t AccelFunctionTableSize = 352;
static_assert(sizeof(AccelFunctionTable) == AccelFunctionTableSize, "44 slots of 8 bytes");
static_assert(offsetof(AccelFunctionTable, Initialize) == 0 * 8, "slot 0");
static_assert(offsetof(AccelFunctionTable, SetPrinterFn) == 1 * 8, "slot 1");
static_assert(offsetof(AccelFunctionTable, Terminate) == 2 * 8, "slot 2");
static_assert(offsetof(AccelFunctionTable, CreateDoc) == 3 * 8, "slot 3");
static_assert(offsetof(AccelFunctionTable, DeleteDoc) == 4 * 8, "slot 4");
static_assert(offsetof(AccelFunctionTable, StartDocFn) == 5 * 8, "slot 5");
static_assert(offsetof(AccelFunctionTable, EndDoc) == 6 * 8, "slot 6");
static_assert(offsetof(AccelFunctionTable, PrintDoc) == 7 * 8, "slot 7");
static_assert(offsetof(AccelFunctionTable, ReleaseJobStatus) == 8 * 8, "slot 8");
static_assert(offsetof(AccelFunctionTable, AbortDoc) == 9 * 8, "slot 9");
static_assert(offsetof(AccelFunctionTable, MeasurePage) == 10 * 8, "slot 10");
static_assert(offsetof(AccelFunctionTable, Write) == 11 * 8, "slot 11");
static_assert(offsetof(AccelFunctionTable, IsDocFinished) == 12 * 8, "slot 12");
static_assert(offsetof(AccelFunctionTable, Open) == 14 * 8, "slot 14");
static_assert(offsetof(AccelFunctionTable, GetConnectionInfo) == 15 * 8, "slot 15");
static_assert(offsetof(AccelFunctionTable, GetJobStatus) == 16 * 8, "slot 16");
static_assert(offsetof(AccelFunctionTable, GetErrorCodes) == 19 * 8, "slot 19");
static_assert(offsetof(AccelFunctionTable, AllocMeasurementData) == 21 * 8, "slot 21");
static_assert(offsetof(AccelFunctionTable, DeallocMeasurementData) == 22 * 8, "slot 22");
static_assert(offsetof(AccelFunctionTable, SetLabelOffset) == 25 * 8, "slot 25");
static_assert(offsetof(AccelFunctionTable, EndLabel) == 26 * 8, "slot 26");
static_assert(offsetof(AccelFunctionTable, Close) == 27 * 8, "slot 27");
static_assert(offsetof(AccelFunctionTable, CreateChart) == 28 * 8, "slot 28");
static_assert(offsetof(AccelFunctionTable, LoadLibraryInitialize) == 29 * 8, "slot 29");
static_assert(offsetof(AccelFunctionTable, LoadLibraryTerminate) == 30 * 8, "slot 30");
static_assert(offsetof(AccelFunctionTable, SetApplicationName) == 31 * 8, "slot 31");
static_assert(offsetof(AccelFunctionTable, SetPlatformName) == 32 * 8, "slot 32");
static_assert(offsetof(AccelFunctionTable, SetPrintOption) == 35 * 8, "slot 35");
static_assert(offsetof(AccelFunctionTable, unused36) == 36 * 8, "slots 36 to 43");

// The driver's binding: the table, then the session state. The last page seen
// and the end flag are written by the status callback's SDK thread and by the
// driver's own thread, hence atomic (same size and layout as int32_t).
struct _AccelStruct
{
    AccelFunctionTable functions = {};
    AccelHandle mHandle = nullptr;
    int32_t mDoc = 0;
    std::atomic<int32_t> mLastPage{0};
    std::atomic<int32_t> mEndFlag{0};
};

static_assert(sizeof(std::atomic<int32_t>) == sizeof(int32_t), "atomic counters keep the binding's layout");
static_assert(offsetof(_AccelStruct, mHandle) == 352, "handle after the 44 slots");
static_assert(offsetof(_AccelStruct, mDoc) == 360, "document id after the handle");
static_assert(offsetof(_AccelStruct, mLastPage) == 364, "last page seen after the document id");
static_assert(offsetof(_AccelStruct, mEndFlag) == 368, "end flag after the last page seen");

#endif
