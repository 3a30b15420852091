#ifndef LUMETRA_CIT8PATCHREADER_H
#define LUMETRA_CIT8PATCHREADER_H

#include "it8inkmodel.h"

class CIt8Table;

#include <string>
#include <vector>

// Reads the colour-table pixel of one patch from a loaded target, following the
// target's ink model, or its <n>CLR_1 ... <n>CLR_<n> fields when it names neither a
// model, per-patch letters nor CMYK fields: percentages scaled by 2.55 and truncated
// (100 gives 254), RGB values taken as they are. Field names are looked up once.
class CIt8PatchReader
{
public:
    CIt8PatchReader(const CIt8Table& table, int bytesPerPixel);

    unsigned char Background() const { return m_background; }

    // Fills bytesPerPixel bytes from the cells of the set itself. False, with every
    // byte at the background, when a base value or the patch's ink letter cannot be
    // read. Further channels are written only when all of them read.
    bool Read(int set, unsigned char* pixel) const;

    // The channels the target's ink model or fields provide; 0 when each patch
    // names its own model (ChannellID).
    int ChannelCount() const;

    // The ink of each channel the target provides, by letter (it8::inkLetterOf):
    // the model's, the first patch's when each patch names its own, an unknown ink
    // for every <n>CLR field and for a byte no field of the model fills. Empty for
    // the RGB model, whose channels are light, not ink.
    std::string InkLetters() const;

    // The fields a patch needs, as a person reads them ("CMYK_C, CMYK_M, CMYK_Y and
    // CMYK_K").
    std::string RequiredFields() const;

private:
    bool ReadValue(it8::Field field, int set, double& value) const;
    bool ReadBase(int set, double (&values)[4]) const;
    bool ReadMultiColour(int set, unsigned char* pixel) const;
    void ReadFurther(int set, char letter, unsigned char* pixel) const;
    void Write(unsigned char* pixel, int byteIndex, unsigned char value) const;
    void FindMultiColourFields();

    const CIt8Table& m_table;
    int m_bytesPerPixel;
    // The table's index of each field, -1 when it has none.
    int m_fieldIndex[it8::kFieldCount];
    // The fields <n>CLR_1 ... <n>CLR_<n> in channel order, when they feed the pixel.
    std::vector<int> m_multiColourFields;
    // 0 when every patch names its own letter in "ChannellID".
    char m_modelLetter;
    bool m_rgb;
    unsigned char m_background;
};

#endif
