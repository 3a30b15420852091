#include "chartgeometry.h"

#include <cmath>
#include <limits>

namespace ChartGeometry {

namespace {
constexpr int64_t Limit = int64_t(1) << 40;  // far beyond any record, far below double's exact range
}

int64_t chartWidth(int64_t patchWidth, int64_t patchesPerRow)
{
    if (patchWidth >= Limit || patchWidth <= -Limit || patchesPerRow >= Limit || patchesPerRow <= -Limit)
        return std::numeric_limits<int64_t>::max();
    const double width = static_cast<double>(patchWidth * patchesPerRow) + 30.4 + 15.0;
    return static_cast<int64_t>(std::trunc(width));
}

int64_t chartHeight(int64_t patchHeight, int64_t rows)
{
    if (patchHeight >= Limit || patchHeight <= -Limit || rows >= Limit || rows <= -Limit)
        return std::numeric_limits<int64_t>::max();
    return patchHeight * rows + 56;
}

bool fitsRecord(int64_t millimetres)
{
    return millimetres >= 0 && millimetres <= std::numeric_limits<int32_t>::max() / 100;
}

} // namespace ChartGeometry
