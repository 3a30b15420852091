// The library's only export, ACCEL_LoadFunction, and the function table it
// hands out: every slot forwards to the one Simulator of this library.

#include "accelsdk.h"
#include "ownlibrary.h"
#include "simulator.h"

#include <string>

#ifdef _WIN32
#define ACCEL_SIM_EXPORT extern "C" __declspec(dllexport)
#else
#define ACCEL_SIM_EXPORT extern "C" __attribute__((visibility("default")))
#endif

ACCEL_SIM_EXPORT uint32_t ACCEL_LoadFunction(void* module, void* table, int64_t tableSize);

namespace {

Simulator& sim()
{
    return Simulator::instance();
}

AccelHandle Initialize(int32_t flags)
{
    return sim().initialize(flags);
}

uint32_t SetPrinter(AccelHandle h, const char* model, int64_t length)
{
    return sim().setPrinter(h, model, length);
}

uint32_t Terminate(AccelHandle h, int32_t flags)
{
    return sim().terminate(h, flags);
}

uint32_t CreateDoc(AccelHandle h, int32_t* doc)
{
    return sim().createDoc(h, doc);
}

uint32_t DeleteDoc(AccelHandle h, int32_t doc)
{
    return sim().deleteDoc(h, doc);
}

uint32_t StartDoc(AccelHandle h, int32_t doc, const void* record)
{
    return sim().startDoc(h, doc, record);
}

uint32_t EndDoc(AccelHandle h, int32_t doc)
{
    return sim().endDoc(h, doc);
}

uint32_t PrintDoc(AccelHandle h, int32_t doc, AccelStatusCallback callback, void* user)
{
    return sim().printDoc(h, doc, callback, user);
}

uint32_t ReleaseJobStatus(AccelHandle h, int32_t doc)
{
    return sim().releaseJobStatus(h, doc);
}

uint32_t AbortDoc(AccelHandle h, int32_t doc)
{
    return sim().abortDoc(h, doc);
}

uint32_t MeasurePage(AccelHandle h, int32_t doc, const void* dryingList, int64_t dryingCount, const void* record,
                     int64_t flags)
{
    return sim().measurePage(h, doc, dryingList, dryingCount, record, flags);
}

uint32_t Write(AccelHandle h, int32_t doc, const char* bytes, int64_t length)
{
    return sim().write(h, doc, bytes, length);
}

uint32_t IsDocFinished(AccelHandle h, int32_t doc)
{
    return sim().isDocFinished(h, doc);
}

uint32_t Open(AccelHandle h, int32_t connectionCode, const char* address, int64_t length)
{
    return sim().open(h, connectionCode, address, length);
}

uint32_t GetConnectionInfo(AccelHandle h, void* record)
{
    return sim().getConnectionInfo(h, record);
}

uint32_t GetJobStatus(AccelHandle h, int32_t doc, void* record)
{
    return sim().getJobStatus(h, doc, record);
}

uint32_t GetErrorCodes(AccelHandle h, void* record)
{
    return sim().getErrorCodes(h, record);
}

void* AllocMeasurementData(AccelHandle h, int32_t doc, int32_t page, int32_t index, int32_t flags)
{
    return sim().allocMeasurementData(h, doc, page, index, flags);
}

uint32_t DeallocMeasurementData(AccelHandle h, int32_t doc, void* block)
{
    return sim().deallocMeasurementData(h, doc, block);
}

uint32_t SetLabelOffset(AccelHandle h, int32_t doc, int32_t a, int32_t b, int32_t c)
{
    return sim().setLabelOffset(h, doc, a, b, c);
}

uint32_t EndLabel(AccelHandle h, int32_t doc, int32_t flag)
{
    return sim().endLabel(h, doc, flag);
}

uint32_t Close(AccelHandle h)
{
    return sim().close(h);
}

uint32_t CreateChart(AccelHandle h, int32_t doc, const void* record, int32_t a, int32_t b, AccelChartCallback line,
                     AccelChartCallback begin, AccelChartCallback end, void* user)
{
    return sim().createChart(h, doc, record, a, b, line, begin, end, user);
}

uint32_t LoadLibraryInitialize(int32_t flags, const char* sdkFolder, int64_t sdkFolderLength, const char* tempFolder,
                               int64_t tempFolderLength, int32_t reserved, void* reserved2)
{
    return sim().loadLibraryInitialize(flags, sdkFolder, sdkFolderLength, tempFolder, tempFolderLength, reserved,
                                       reserved2);
}

uint32_t LoadLibraryTerminate(int32_t flags)
{
    return sim().loadLibraryTerminate(flags);
}

uint32_t SetApplicationName(AccelHandle h, int32_t doc, const char* name, int64_t length)
{
    return sim().setDocText("SetApplicationName", h, doc, name, length);
}

uint32_t SetPlatformName(AccelHandle h, int32_t doc, const char* name, int64_t length)
{
    return sim().setDocText("SetPlatformName", h, doc, name, length);
}

uint32_t SetPrintOption(AccelHandle h, int32_t doc, int32_t option)
{
    return sim().setPrintOption(h, doc, option);
}

template <int Slot>
uint32_t Unused()
{
    return sim().unsupported(Slot);
}

AccelFunctionTable functionTable()
{
    AccelFunctionTable t = {};
    t.Initialize = Initialize;
    t.SetPrinterFn = SetPrinter;
    t.Terminate = Terminate;
    t.CreateDoc = CreateDoc;
    t.DeleteDoc = DeleteDoc;
    t.StartDocFn = StartDoc;
    t.EndDoc = EndDoc;
    t.PrintDoc = PrintDoc;
    t.ReleaseJobStatus = ReleaseJobStatus;
    t.AbortDoc = AbortDoc;
    t.MeasurePage = MeasurePage;
    t.Write = Write;
    t.IsDocFinished = IsDocFinished;
    t.unused13 = Unused<13>;
    t.Open = Open;
    t.GetConnectionInfo = GetConnectionInfo;
    t.GetJobStatus = GetJobStatus;
    t.unused17 = Unused<17>;
    t.unused18 = Unused<18>;
    t.GetErrorCodes = GetErrorCodes;
    t.unused20 = Unused<20>;
    t.AllocMeasurementData = AllocMeasurementData;
    t.DeallocMeasurementData = DeallocMeasurementData;
    t.unused23 = Unused<23>;
    t.unused24 = Unused<24>;
    t.SetLabelOffset = SetLabelOffset;
    t.EndLabel = EndLabel;
    t.Close = Close;
    t.CreateChart = CreateChart;
    t.LoadLibraryInitialize = LoadLibraryInitialize;
    t.LoadLibraryTerminate = LoadLibraryTerminate;
    t.SetApplicationName = SetApplicationName;
    t.SetPlatformName = SetPlatformName;
    t.unused33 = Unused<33>;
    t.unused34 = Unused<34>;
    t.SetPrintOption = SetPrintOption;
    t.unused36[0] = Unused<36>;
    t.unused36[1] = Unused<37>;
    t.unused36[2] = Unused<38>;
    t.unused36[3] = Unused<39>;
    t.unused36[4] = Unused<40>;
    t.unused36[5] = Unused<41>;
    t.unused36[6] = Unused<42>;
    t.unused36[7] = Unused<43>;
    return t;
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

ACCEL_SIM_EXPORT uint32_t ACCEL_LoadFunction(void* module, void* table, int64_t tableSize)
{
    return sim().bind(module, OwnLibrary::isModule(module), table, tableSize, folderOf(OwnLibrary::path()),
                      functionTable());
}
