#ifndef LUMETRA_TESTS_PNGPICTURE_H
#define LUMETRA_TESTS_PNGPICTURE_H

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

using Rgb = std::array<int, 3>;

// A PNG read back with libpng, as 8-bit RGB.
struct PngPicture
{
    // False when libpng cannot read the file, or it is not 8-bit RGB without alpha.
    bool read(const QString& path);

    Rgb at(int x, int y) const;

    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

#endif
