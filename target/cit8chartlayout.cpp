#include "cit8chartlayout.h"

#include "cit8table.h"
#include "it8numbertext.h"

#include <climits>
#include <cstdint>

namespace {

// A property read with atoi; 0 when it is missing.
int propertyNumber(const CIt8Table& table, const char* name)
{
    const char* text = table.GetPropertyText(name);
    return text ? it8::toInt(text) : 0;
}

} // namespace

bool CIt8ChartLayout::Compute(const CIt8Table& table, long patchWidth, long patchHeight, int requestedPatchesPerRow)
{
    const int perRow = requestedPatchesPerRow < 0 ? propertyNumber(table, "LGOROWLENGTH") : requestedPatchesPerRow;
    const int sets = propertyNumber(table, "NUMBER_OF_SETS");
    if (propertyNumber(table, "NUMBER_OF_FIELDS") < 0 || perRow <= 0 || sets <= 0 || patchWidth <= 0
        || patchHeight <= 0 || patchWidth > INT_MAX || patchHeight > INT_MAX)
        return false;

    const bool isPadded = sets % perRow != 0;
    const int rowCount = sets / perRow + (isPadded ? 1 : 0);
    const int64_t total = isPadded ? static_cast<int64_t>(rowCount) * perRow : sets;
    const int64_t pixelWidth = static_cast<int64_t>(patchWidth) * perRow;
    const int64_t pixelHeight = static_cast<int64_t>(patchHeight) * rowCount;
    if (total > INT_MAX || pixelWidth > INT_MAX || pixelHeight > INT_MAX)
        return false;

    patchesPerRow = perRow;
    rows = rowCount;
    padded = isPadded;
    totalPatchCount = static_cast<int>(total);
    width = static_cast<int>(pixelWidth);
    height = static_cast<int>(pixelHeight);
    return true;
}
