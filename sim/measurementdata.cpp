#include "measurementdata.h"

#include <cstring>

namespace {

void putLittleEndian(std::vector<uint8_t>& out, size_t offset, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[offset + size_t(i)] = uint8_t(value >> (8 * i));
}

} // namespace

namespace MeasurementData {

uint16_t reflectance(int32_t page, int32_t block, int64_t patch, int32_t band)
{
    // Unsigned arithmetic: wraps instead of overflowing for any input.
    const uint64_t mix = uint64_t(uint32_t(page)) * 7919u + uint64_t(uint32_t(block)) * 104729u
                         + uint64_t(patch) * 31u + uint64_t(uint32_t(band)) * 97u;
    return uint16_t(500u + mix % 9001u);
}

std::vector<uint8_t> block(int32_t page, int32_t blockIndex, int32_t patchCount)
{
    const size_t count = patchCount > 0 ? size_t(patchCount) : 0;
    std::vector<uint8_t> out(size_t(HeaderSize) + count * size_t(BandCount) * 2u, 0);
    std::memcpy(out.data(), "ACCELMD1", 8);
    putLittleEndian(out, 8, uint32_t(page), 4);
    putLittleEndian(out, 12, uint32_t(blockIndex), 4);
    putLittleEndian(out, 16, uint32_t(count), 4);
    putLittleEndian(out, 20, uint32_t(BandCount), 4);
    putLittleEndian(out, 24, uint32_t(FirstWavelength), 4);
    putLittleEndian(out, 28, uint32_t(WavelengthStep), 4);
    size_t offset = size_t(HeaderSize);
    for (size_t patch = 0; patch < count; ++patch) {
        for (int32_t band = 0; band < BandCount; ++band) {
            putLittleEndian(out, offset, reflectance(page, blockIndex, int64_t(patch), band), 2);
            offset += 2;
        }
    }
    return out;
}

} // namespace MeasurementData
