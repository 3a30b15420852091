// The preview of a large chart: 10,000 patches of 6 mm, 50 per row, 8 channels,
// made by lumetra through the simulator (2444 x 8900 pixels). Compares the time
// ChartPreview takes to write the PNG at the chart's size with the time libtiff
// takes to decode the chart alone. Goal: the preview under 1.5 times the decoding,
// in memory that follows the chart's width, not its height.
//
// Times are the least of the iterations, wall and CPU of the process. The
// preview reads the chart through CTiffImg, which does not decode a strip stored
// like the one before it, as most of a chart's are. Memory is measured in a child
// process running the preview alone: its peak resident memory, which counts the
// pages of the chart file that libtiff maps, and the peak of its own (anonymous)
// memory, sampled every millisecond.
#include "benchmarkmain.h"
#include "chartpreview.h"
#include "eightinktarget.h"
#include "processfigures.h"

#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <limits>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPatches = 10000;
constexpr double kGoal = 1.5;
const char kChildOption[] = "--preview-child";

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The chart as an operator makes it; false with the reason when lumetra failed.
bool makeChart(const QTemporaryDir& folder, QString& error)
{
    const QString target = folder.filePath(QStringLiteral("target.txt"));
    const QString lumetra = folder.filePath(QStringLiteral("lumetra"));
    if (!writeEightInkTarget(target, kPatches) || !QFile::copy(QStringLiteral(LUMETRA_EXECUTABLE), lumetra)) {
        error = QStringLiteral("the target or the executable could not be written");
        return false;
    }
    QProcess process;
    process.start(lumetra, {"-accellpath", ACCEL_SIM_DIR, "-it8", target, "-tiffoutput",
                            folder.filePath(QStringLiteral("chart.tif")), "-patchperrow", "50", "-patchsizex", "6",
                            "-patchsizey", "6", "-papersizex", "345", "-papersizey", "1256", "-numcolor", "8",
                            "-numpatch", QString::number(kPatches), "-prnconntype", "3", "-prnaddr", "127.0.0.1",
                            "-prnmodel", "ILS30EP"});
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        error = QStringLiteral("lumetra failed: ") + QString::fromLocal8Bit(process.readAllStandardError().right(400));
        return false;
    }
    return true;
}

struct Figures
{
    double wallSeconds = -1;
    double cpuSeconds = -1;
};

// libtiff decoding every strip of the chart into one strip's buffer.
Figures decodeChart(const QString& path)
{
    Figures figures;
    const Clock::time_point start = Clock::now();
    const double cpuStart = processCpuSeconds();
    TIFF* tiff = TIFFOpen(QFile::encodeName(path).constData(), "r");
    if (!tiff)
        return figures;
    const tmsize_t stripSize = TIFFStripSize(tiff);
    std::vector<uint8_t> strip(size_t(std::max<tmsize_t>(stripSize, 0)));
    bool whole = stripSize > 0;
    for (uint32_t i = 0, strips = TIFFNumberOfStrips(tiff); whole && i < strips; ++i)
        whole = TIFFReadEncodedStrip(tiff, i, strip.data(), stripSize) >= 0;
    TIFFClose(tiff);
    if (whole)
        figures = {secondsSince(start), processCpuSeconds() - cpuStart};
    return figures;
}

Figures previewChart(const QString& chart, const QString& png)
{
    const Clock::time_point start = Clock::now();
    const double cpuStart = processCpuSeconds();
    ChartPreview preview{PreviewOptions{}};
    if (!preview.write(chart, png)) {
        std::fprintf(stderr, "%s\n", preview.errorText().toLocal8Bit().constData());
        return {};
    }
    return {secondsSince(start), processCpuSeconds() - cpuStart};
}

// The child's side: one preview, then "peak_kb" and "anon_kb" lines.
int previewInChild(const QString& chart, const QString& png)
{
    std::atomic<bool> done{false};
    std::atomic<long> anonKb{processStatusKb("RssAnon:")};
    std::thread sampler([&] {
        while (!done) {
            anonKb = std::max(anonKb.load(), processStatusKb("RssAnon:"));
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    const long baseKb = anonKb;
    const bool written = previewChart(chart, png).wallSeconds >= 0;
    done = true;
    sampler.join();
    std::printf("peak_kb %ld\nanon_kb %ld\nbase_anon_kb %ld\n", processStatusKb("VmHWM:"), anonKb.load(), baseKb);
    return written ? 0 : 1;
}

struct MemoryFigures
{
    double peakMb = 0;
    double anonMb = 0;
    double baseAnonMb = 0;
};

bool measureMemory(const QTemporaryDir& folder, MemoryFigures& figures)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QLatin1String(kChildOption), folder.filePath(QStringLiteral("chart.tif")),
                 folder.filePath(QStringLiteral("child.png"))});
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        return false;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        const double mb = line.mid(line.indexOf(' ') + 1).toDouble() / 1024;
        if (line.startsWith("peak_kb "))
            figures.peakMb = mb;
        else if (line.startsWith("anon_kb "))
            figures.anonMb = mb;
        else if (line.startsWith("base_anon_kb "))
            figures.baseAnonMb = mb;
    }
    return true;
}

void BM_PreviewLargeChart(benchmark::State& state)
{
    QTemporaryDir folder;
    QString error;
    if (!folder.isValid() || !makeChart(folder, error)) {
        state.SkipWithError(error.toLocal8Bit().constData());
        return;
    }
    const QString chart = folder.filePath(QStringLiteral("chart.tif"));
    constexpr double none = std::numeric_limits<double>::max();
    Figures decode{none, none};
    Figures preview{none, none};
    for (auto _ : state) {
        const Figures decoded = decodeChart(chart);
        const Figures previewed = previewChart(chart, folder.filePath(QStringLiteral("chart.png")));
        if (decoded.wallSeconds < 0 || previewed.wallSeconds < 0) {
            state.SkipWithError("libtiff or the preview failed");
            return;
        }
        state.SetIterationTime(previewed.wallSeconds);
        decode = {std::min(decode.wallSeconds, decoded.wallSeconds), std::min(decode.cpuSeconds, decoded.cpuSeconds)};
        preview = {std::min(preview.wallSeconds, previewed.wallSeconds),
                   std::min(preview.cpuSeconds, previewed.cpuSeconds)};
    }
    MemoryFigures memory;
    if (!measureMemory(folder, memory)) {
        state.SkipWithError("the preview failed in the child process");
        return;
    }
    const double ratio = preview.wallSeconds / decode.wallSeconds;
    state.counters["decode_ms"] = decode.wallSeconds * 1e3;
    state.counters["preview_ms"] = preview.wallSeconds * 1e3;
    state.counters["preview_per_decode"] = ratio;
    state.counters["decode_cpu_ms"] = decode.cpuSeconds * 1e3;
    state.counters["preview_cpu_ms"] = preview.cpuSeconds * 1e3;
    state.counters["cpu_per_decode"] = preview.cpuSeconds / decode.cpuSeconds;
    state.counters["peak_MB"] = memory.peakMb;
    state.counters["own_MB"] = memory.anonMb - memory.baseAnonMb;
    state.counters["goal_met"] = ratio < kGoal ? 1 : 0;
}

} // namespace

BENCHMARK(BM_PreviewLargeChart)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    // The chart names no inks, which libtiff notes on every reading.
    TIFFSetWarningHandler(nullptr);
    if (argc == 4 && std::strcmp(argv[1], kChildOption) == 0)
        return previewInChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    return runBenchmarks(argc, argv);
}
