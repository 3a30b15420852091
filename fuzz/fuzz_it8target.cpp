// Loads arbitrary bytes as a target file; when a table comes back, runs every query
// on what it holds and computes colour tables from it.
#include "cit8table.h"
#include "cit8toimageobj.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

// Enough of a table to reach every kind of cell without making big tables slow.
constexpr int kMaxQueried = 64;

void queryTable(const CIt8Table& table)
{
    for (const char* key : {"NUMBER_OF_FIELDS", "NUMBER_OF_SETS", "LGOROWLENGTH", "INK_MODEL", "originator"})
        table.GetPropertyText(key);

    char cell[256];
    char small[3];
    const int fields = std::min(table.GetFieldCount(), kMaxQueried);
    const int sets = std::min(table.GetSetCount(), kMaxQueried);
    for (int set = -1; set <= sets; ++set) {
        if (!table.GetCellAt(table.GetKeyColumn(), set, cell, sizeof cell))
            continue;
        table.FindPatchSet(cell);
        for (int field = -1; field <= fields; ++field) {
            const char* name = table.GetFieldName(field);
            double value = 0.0;
            table.GetCellAt(field, set, small, sizeof small);
            table.GetCell(cell, name ? name : "CMYK_C", small, sizeof small);
            table.GetCellNumber(cell, name ? name : "ChannellID", value);
            table.FindField(name);
        }
    }
    table.GetLastSyntaxError();
    table.IsComplete();
    table.GetReadError();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath("target.it8");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file.close();

    const QByteArray localPath = QFile::encodeName(path);
    if (const auto table = CIt8Table::Load(localPath.constData()))
        queryTable(*table);

    CIt8ToImageObj image(path);
    image.ComputeLinearizationChart(1, 1, -1, 8);
    image.ComputeLinearizationChart(2, 3, 7, 11);
    image.GetErrorText();
    long width = 0;
    long height = 0;
    CIt8ToImageObj::MeasureOfLinearizationChart(localPath.constData(), 4, 5, width, height, -1);
    return 0;
}
