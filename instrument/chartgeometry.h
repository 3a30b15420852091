#ifndef LUMETRA_CHARTGEOMETRY_H
#define LUMETRA_CHARTGEOMETRY_H

#include "lumetra_export.h"

#include <cstdint>

// Chart sizes in whole millimetres, computed in 64 bits so that no input can
// overflow; the SDK records take them as signed 32-bit hundredths of a millimetre.
namespace ChartGeometry {

// Patch width times patches per row, plus the margins of 30.4 and 15.0 mm, truncated.
LUMETRA_EXPORT int64_t chartWidth(int64_t patchWidth, int64_t patchesPerRow);
// Patch height times rows, plus 56 mm.
LUMETRA_EXPORT int64_t chartHeight(int64_t patchHeight, int64_t rows);
// Whether a length of whole millimetres can be written into a record field.
LUMETRA_EXPORT bool fitsRecord(int64_t millimetres);

} // namespace ChartGeometry

#endif
