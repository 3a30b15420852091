// Load and colour-table times of generated 8-channel targets: both must grow
// linearly with the number of sets, since every patch is looked up by name.
#include "cit8table.h"
#include "cit8toimageobj.h"
#include "eightinktarget.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include <map>

namespace {

constexpr int kChannels = 8;
constexpr int kPatchesPerRow = 50;

// The path of a CMYKcmkn target with the given number of sets, written once.
QString generatedTarget(int sets)
{
    static QTemporaryDir dir;
    static std::map<int, QString> paths;
    auto& path = paths[sets];
    if (!path.isEmpty())
        return path;
    path = dir.filePath(QString("target%1.txt").arg(sets));
    if (!writeEightInkTarget(path, sets))
        path.clear();
    return path;
}

void BM_Load(benchmark::State& state)
{
    const QByteArray path = QFile::encodeName(generatedTarget(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        auto table = CIt8Table::Load(path.constData());
        if (!table)
            state.SkipWithError("the target did not load");
        benchmark::DoNotOptimize(table);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ColourTable(benchmark::State& state)
{
    CIt8ToImageObj image(generatedTarget(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        if (image.ComputeLinearizationChart(1, 1, kPatchesPerRow, kChannels) != 1)
            state.SkipWithError("no colour table");
        benchmark::DoNotOptimize(image.GetTargetImage());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

} // namespace

BENCHMARK(BM_Load)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColourTable)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
