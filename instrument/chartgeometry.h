#ifndef LUMETRA_CHARTGEOMETRY_H
#define LUMETRA_CHARTGEOMETRY_H

#include <cmath>
#include <cstdint>
#include <limits>

// Chart sizes in whole millimetres, computed in 64 bits so that no input can
// overflow; the SDK records take them as signed 32-bit hundredths of a millimetre.
// Inline, so that the tool's checks and the driver share them without an export.
namespace ChartGeometry {

// Far beyond any record, far below double's exact range.
constexpr int64_t Limit = int64_t(1) << 40;

// Patch width times patches per row, plus the margins of 30.4 and 15.0 mm, truncated.
inline int64_t chartWidth(int64_t patchWidth, int64_t patchesPerRow)
{
    if (patchWidth >= Limit || patchWidth <= -Limit || patchesPerRow >= Limit || patchesPerRow <= -Limit)
        return std::numeric_limits<int64_t>::max();
    const double width = static_cast<double>(patchWidth * patchesPerRow) + 30.4 + 15.0;
    return static_cast<int64_t>(std::trunc(width));
}

// Patch height times rows, plus 56 mm.
inline int64_t chartHeight(int64_t patchHeight, int64_t rows)
{
    if (patchHeight >= Limit || patchHeight <= -Limit || rows >= Limit || rows <= -Limit)
        return std::numeric_limits<int64_t>::max();
    return patchHeight * rows + 56;
}

// Whether a length of whole millimetres can be written into a record field.
inline bool fitsRecord(int64_t millimetres)
{
    return millimetres >= 0 && millimetres <= std::numeric_limits<int32_t>::max() / 100;
}

} // namespace ChartGeometry

#endif
