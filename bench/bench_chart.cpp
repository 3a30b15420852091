// A large chart through the driver and the simulator: 10,000 patches of 6 mm,
// 50 per row, 8 channels. Reports the run's time, the part of it spent in the
// driver's chart callbacks, libtiff's own LZW time for the same lines and the
// run's peak resident memory. Goals: callbacks at most 15% above libtiff's
// encoding, peak memory under 64 MB.
//
// The driver run happens in a child process of this program, so its peak
// memory is that of a chart run alone and not of the benchmark around it.
// Callbacks and encoding are compared in CPU time of the thread doing the
// work: the machine is shared, and wall time would count other programs' turns.
#include "accelinstrument.h"
#include "accelrecords.h"
#include "accelsdk.h"
#include "accelmeasparams_st.h"
#include "accelsetup.h"
#include "benchmarkmain.h"
#include "chartgeometry.h"
#include "cit8toimageobj.h"
#include "csdklibrary.h"
#include "eightinktarget.h"
#include "processfigures.h"
#include <kelvora/measure.h>

#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPatches = 10000;
constexpr int kPatchesPerRow = 50;
constexpr int kPatchMillimetres = 6;
constexpr int kChannels = 8;
constexpr double kCallbackGoal = 1.15;
constexpr double kPeakMemoryGoalMb = 64.0;
const char kChildOption[] = "--driver-chart";

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Peak resident memory of this process in kB, 0 when unknown.
long peakResidentKb()
{
    return processStatusKb("VmHWM:");
}

// The child's side: one chart run as the command-line tool makes it. Prints
// its figures as "name value" lines; exit code 1 when the run failed.
int runDriverChart(const QString& sdkFolder, const QString& target, const QString& tiff)
{
    const Clock::time_point runStart = Clock::now();
    accelInstrument instrument(sdkFolder);
    // Logged directly on the SDK's thread as the begin and end callbacks start:
    // in between, the simulator renders and the driver writes every line.
    Clock::time_point chartStart;
    double chartCpuStart = 0, chartSeconds = 0, chartCpuSeconds = 0;
    QByteArray chartSize;
    QObject::connect(&instrument, &accelInstrument::addLogLine, [&](const QString& line) {
        if (line.startsWith(QLatin1String("Creating TIFF"))) {
            chartStart = Clock::now();
            chartCpuStart = threadCpuSeconds();
            chartSize = line.toLatin1();
        } else if (line == QLatin1String("closing tiff")) {
            chartSeconds = secondsSince(chartStart);
            chartCpuSeconds = threadCpuSeconds() - chartCpuStart;
        }
        if (line.startsWith(QLatin1String("ACCEL")) || line.contains(QLatin1String("failed")))
            std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    });

    accelJobRequest request;
    request.it8File = target;
    request.patchesPerRow = kPatchesPerRow;
    request.patchWidth = kPatchMillimetres;
    request.patchHeight = kPatchMillimetres;
    request.channels = kChannels;
    request.paperWidth = uint32_t(ChartGeometry::chartWidth(kPatchMillimetres, kPatchesPerRow));
    request.paperHeight = uint32_t(ChartGeometry::chartHeight(kPatchMillimetres, kPatches / kPatchesPerRow));
    request.totalPatchCount = kPatches;
    accelMeasParams_st job;
    request.fillJob(job);
    instrument.setParams(job);
    instrument.setTiffPath(tiff);

    const long baseKb = peakResidentKb();
    const bool made = accelBringUp(instrument, {3, QStringLiteral("127.0.0.1"), QStringLiteral("ILS30EP")},
                                   accelInstrument::ChartDocument)
        && instrument.GenerateTiff();
    instrument.cleanupACCEL();
    const double runSeconds = secondsSince(runStart);
    if (!made)
        return 1;
    std::printf("run %.6f\nchart %.6f\nchart_cpu %.6f\nbase_kb %ld\npeak_kb %ld\n%s\n", runSeconds, chartSeconds,
                chartCpuSeconds, baseKb, peakResidentKb(), chartSize.constData());
    return 0;
}

struct DriverFigures
{
    double runSeconds = 0;
    // From the begin to the end callback: the simulator's rendering plus the
    // driver's begin and line callbacks.
    double chartSeconds = 0;
    double chartCpuSeconds = 0;
    double baseMb = 0;
    double peakMb = 0;
    QByteArray chartSize;
};

bool runDriverInChild(const QString& folder, DriverFigures& figures, QString& error)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QLatin1String(kChildOption), QStringLiteral(ACCEL_SIM_DIR), folder + "/target.txt",
                 folder + "/chart.tif"});
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
        error = QStringLiteral("the driver run failed: ") + QString::fromLocal8Bit(child.readAllStandardError());
        return false;
    }
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        const QByteArray value = line.mid(line.indexOf(' ') + 1);
        if (line.startsWith("run "))
            figures.runSeconds = value.toDouble();
        else if (line.startsWith("chart "))
            figures.chartSeconds = value.toDouble();
        else if (line.startsWith("chart_cpu "))
            figures.chartCpuSeconds = value.toDouble();
        else if (line.startsWith("base_kb "))
            figures.baseMb = value.toDouble() / 1024;
        else if (line.startsWith("peak_kb "))
            figures.peakMb = value.toDouble() / 1024;
        else if (line.startsWith("Creating TIFF"))
            figures.chartSize = line;
    }
    return true;
}

// The simulator loaded directly, with a started document, to render the same
// chart into callbacks that do nothing: the part of a driver run that is not ours.
class SimulatorAlone
{
public:
    bool start(const QString& target, QString& error)
    {
        if (!m_library.load(CSdkLibrary::libraryPath(QStringLiteral(ACCEL_SIM_DIR))) || !m_library.loadFunction()
            || m_library.loadFunction()(m_library.module(), &m_sdk, AccelFunctionTableSize) != 0) {
            error = QStringLiteral("the simulator could not be loaded: ") + m_library.errorText();
            return false;
        }
        static const char folder[] = "/tmp";
        m_handle = m_sdk.LoadLibraryInitialize(256, folder, 4, folder, 4, 0, nullptr) == 0 ? m_sdk.Initialize(0)
                                                                                            : nullptr;
        if (!m_handle || m_sdk.SetPrinterFn(m_handle, "ILS30EP", 7) != 0 || m_sdk.Open(m_handle, 4, "127.0.0.1", 9) != 0
            || m_sdk.CreateDoc(m_handle, &m_doc) != 0 || m_sdk.SetApplicationName(m_handle, m_doc, "bench", 5) != 0
            || m_sdk.SetPlatformName(m_handle, m_doc, "Linux", 5) != 0 || !startDocument()) {
            error = QStringLiteral("the simulator refused the document");
            return false;
        }
        return fillRecord(target, error);
    }

    ~SimulatorAlone()
    {
        if (m_handle) {
            m_sdk.AbortDoc(m_handle, m_doc);
            m_sdk.DeleteDoc(m_handle, m_doc);
            m_sdk.Close(m_handle);
            m_sdk.Terminate(m_handle, 0);
            m_sdk.LoadLibraryTerminate(0);
        }
    }

    // CPU seconds of the SDK's thread from the begin to the end callback; negative on failure.
    double renderCpuSeconds()
    {
        m_cpuSeconds = -1;
        if (m_sdk.CreateChart(m_handle, m_doc, &m_record, 0, 0, ignore, begin, end, this) != 0)
            return -1;
        return m_cpuSeconds;
    }

    // "width=%1 height=%2" of the chart last rendered.
    QByteArray chartSize() const { return m_size; }

private:
    static uint32_t ignore(AccelHandle, int32_t, const void*, void*) { return 0; }

    static uint32_t begin(AccelHandle, int32_t, const void* data, void* user)
    {
        auto* self = static_cast<SimulatorAlone*>(user);
        const auto* chart = static_cast<const ChartCallbackData*>(data);
        self->m_size = QStringLiteral("width=%1 height=%2").arg(chart->mWidth).arg(chart->mHeight).toLatin1();
        self->m_cpuStart = threadCpuSeconds();
        return 0;
    }

    static uint32_t end(AccelHandle, int32_t, const void*, void* user)
    {
        auto* self = static_cast<SimulatorAlone*>(user);
        self->m_cpuSeconds = threadCpuSeconds() - self->m_cpuStart;
        return 0;
    }

    bool startDocument()
    {
        DocRecord record = {};
        record.mField0 = 1;
        record.mDocId = m_doc;
        record.mPageWidth = record.mMediaWidth = 100000;
        record.mPageHeight = record.mMediaHeight = 200000;
        std::memcpy(record.mDocName, "bench", 5);
        record.mDocNameLength = 5;
        std::memcpy(record.mUserName, "user", 4);
        record.mUserNameLength = 4;
        record.mModeA = record.mModeB = 1;
        return m_sdk.StartDocFn(m_handle, m_doc, &record) == 0;
    }

    // The chart record of the driver's run: the fields the simulator lays out from.
    bool fillRecord(const QString& target, QString& error)
    {
        CIt8ToImageObj image(target);
        if (image.ComputeLinearizationChart(1, 1, kPatchesPerRow, kChannels) != 1) {
            error = QStringLiteral("the target gave no colour table");
            return false;
        }
        const auto* table = reinterpret_cast<const uint8_t*>(image.GetTargetImage());
        m_colorTable.assign(table, table + image.GetTargetImageSize());
        const accelParams_st defaults;
        const int rows = image.GetTotalPatchCount() / kPatchesPerRow;
        m_record.mField0 = m_record.mField4 = 1;
        m_record.mChannelCode = 255;
        m_record.mPatchCount = image.GetTotalPatchCount();
        m_record.mResolutionX = defaults.getResolutionX();
        m_record.mResolutionY = defaults.getResolutionY();
        m_record.mPatchWidth = m_record.mPatchHeight = kPatchMillimetres * 100;
        m_record.mPatchesPerRow = kPatchesPerRow;
        m_record.mChartWidth = int32_t(ChartGeometry::chartWidth(kPatchMillimetres, kPatchesPerRow) * 100);
        m_record.mChartHeight = int32_t(ChartGeometry::chartHeight(kPatchMillimetres, rows) * 100);
        m_record.mColorTable = m_colorTable.data();
        m_record.mChannelCount = kChannels;
        m_record.mChartType = 2;
        return true;
    }

    CSdkLibrary m_library;
    AccelFunctionTable m_sdk = {};
    AccelHandle m_handle = nullptr;
    int32_t m_doc = 0;
    ChartRecord m_record = {};
    std::vector<uint8_t> m_colorTable;
    QByteArray m_size;
    double m_cpuStart = 0;
    double m_cpuSeconds = -1;
};

// libtiff alone encoding the lines the driver wrote: the chart's own file is
// decoded in batches of the simulator's size and each batch written to an LZW
// copy with the same tags. Only opening the copy and writing are timed, in CPU
// seconds, as the driver's window is; negative on failure.
double libtiffLzwCpuSeconds(const QString& source, const QString& copy)
{
    constexpr uint32_t batchLines = 64;
    TIFF* in = TIFFOpen(QFile::encodeName(source).constData(), "r");
    if (!in)
        return -1;
    uint32_t width = 0, height = 0;
    uint16_t samples = 0, bits = 0, photometric = 0;
    float resX = 0, resY = 0;
    TIFFGetField(in, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(in, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetField(in, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetField(in, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetField(in, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetField(in, TIFFTAG_XRESOLUTION, &resX);
    TIFFGetField(in, TIFFTAG_YRESOLUTION, &resY);
    const tmsize_t lineBytes = TIFFStripSize(in);
    if (lineBytes <= 0 || TIFFNumberOfStrips(in) != height) {
        TIFFClose(in);
        return -1;
    }
    std::vector<uint8_t> batch(size_t(lineBytes) * batchLines, 0);

    double start = threadCpuSeconds();
    TIFF* out = TIFFOpen(QFile::encodeName(copy).constData(), "w");
    bool whole = out != nullptr;
    if (out) {
        TIFFSetField(out, TIFFTAG_IMAGEWIDTH, width);
        TIFFSetField(out, TIFFTAG_IMAGELENGTH, height);
        TIFFSetField(out, TIFFTAG_PHOTOMETRIC, photometric);
        TIFFSetField(out, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(out, TIFFTAG_SAMPLESPERPIXEL, samples);
        TIFFSetField(out, TIFFTAG_BITSPERSAMPLE, bits);
        TIFFSetField(out, TIFFTAG_ROWSPERSTRIP, 1u);
        TIFFSetField(out, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
        TIFFSetField(out, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
        TIFFSetField(out, TIFFTAG_XRESOLUTION, double(resX));
        TIFFSetField(out, TIFFTAG_YRESOLUTION, double(resY));
    }
    double seconds = threadCpuSeconds() - start;
    for (uint32_t first = 0; whole && first < height; first += batchLines) {
        const uint32_t count = std::min(batchLines, height - first);
        for (uint32_t i = 0; whole && i < count; ++i)
            whole = TIFFReadEncodedStrip(in, first + i, &batch[i * size_t(lineBytes)], lineBytes) == lineBytes;
        start = threadCpuSeconds();
        for (uint32_t i = 0; whole && i < count; ++i)
            whole = TIFFWriteEncodedStrip(out, first + i, &batch[i * size_t(lineBytes)], lineBytes) == lineBytes;
        seconds += threadCpuSeconds() - start;
    }
    if (out)
        TIFFClose(out);
    TIFFClose(in);
    return whole ? seconds : -1;
}

void BM_LargeChart(benchmark::State& state)
{
    QTemporaryDir folder;
    QString error;
    SimulatorAlone simulator;
    if (!folder.isValid() || !writeEightInkTarget(folder.filePath(QStringLiteral("target.txt")), kPatches)) {
        state.SkipWithError("the target could not be written");
        return;
    }
    if (!simulator.start(folder.filePath(QStringLiteral("target.txt")), error)) {
        state.SkipWithError(error.toLocal8Bit().constData());
        return;
    }

    // Minima over the iterations: the figures least disturbed by other work on the machine.
    constexpr double none = std::numeric_limits<double>::max();
    double chartWall = none, chartCpu = none, renderCpu = none, lzwCpu = none, peakMb = 0, baseMb = 0;
    for (auto _ : state) {
        DriverFigures run;
        if (!runDriverInChild(folder.path(), run, error)) {
            state.SkipWithError(error.toLocal8Bit().constData());
            return;
        }
        const double simulatorSeconds = simulator.renderCpuSeconds();
        const double lzwSeconds = libtiffLzwCpuSeconds(folder.filePath(QStringLiteral("chart.tif")),
                                                       folder.filePath(QStringLiteral("copy.tif")));
        if (simulatorSeconds < 0 || lzwSeconds < 0) {
            state.SkipWithError("the simulator or libtiff alone failed");
            return;
        }
        if (!run.chartSize.contains(simulator.chartSize())) {
            state.SkipWithError("the simulator alone rendered another chart than the driver's");
            return;
        }
        state.SetIterationTime(run.runSeconds);
        chartWall = std::min(chartWall, run.chartSeconds);
        chartCpu = std::min(chartCpu, run.chartCpuSeconds);
        renderCpu = std::min(renderCpu, simulatorSeconds);
        lzwCpu = std::min(lzwCpu, lzwSeconds);
        peakMb = std::max(peakMb, run.peakMb);
        baseMb = run.baseMb;
        state.SetLabel(run.chartSize.constData());
    }

    const double callbacksCpu = chartCpu - renderCpu;
    const double ratio = callbacksCpu / lzwCpu;
    state.counters["chart_ms"] = chartWall * 1e3;
    state.counters["chart_cpu_ms"] = chartCpu * 1e3;
    state.counters["sim_cpu_ms"] = renderCpu * 1e3;
    state.counters["callbacks_cpu_ms"] = callbacksCpu * 1e3;
    state.counters["lzw_cpu_ms"] = lzwCpu * 1e3;
    state.counters["cb_per_lzw"] = ratio;
    state.counters["base_MB"] = baseMb;
    state.counters["peak_MB"] = peakMb;
    state.counters["goals_met"] = ratio <= kCallbackGoal && peakMb < kPeakMemoryGoalMb ? 1 : 0;
}

} // namespace

BENCHMARK(BM_LargeChart)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc == 5 && std::strcmp(argv[1], kChildOption) == 0)
        return runDriverChart(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                              QString::fromLocal8Bit(argv[4]));
    // The driver writes 8 inks without naming them, which libtiff notes on every read.
    TIFFSetWarningHandler(nullptr);
    return runBenchmarks(argc, argv);
}
