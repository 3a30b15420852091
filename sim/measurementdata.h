#ifndef LUMETRA_SIM_MEASUREMENTDATA_H
#define LUMETRA_SIM_MEASUREMENTDATA_H

#include <cstdint>
#include <vector>

// Synthetic spectral measurement of one data block: the same page, block and
// patch count always give the same bytes (layout in README.md).
namespace MeasurementData {

constexpr int32_t BandCount = 36;        // 380 to 730 nm
constexpr int32_t FirstWavelength = 380;
constexpr int32_t WavelengthStep = 10;
constexpr int32_t HeaderSize = 32;
constexpr int64_t MaxPatches = 100000;  // keeps a block below 8 MB

// Reflectance of one band in 1/10000, 500 to 9500.
uint16_t reflectance(int32_t page, int32_t block, int64_t patch, int32_t band);

std::vector<uint8_t> block(int32_t page, int32_t block, int32_t patchCount);

} // namespace MeasurementData

#endif
