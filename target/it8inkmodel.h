#ifndef LUMETRA_IT8INKMODEL_H
#define LUMETRA_IT8INKMODEL_H

// Which target fields feed which byte of a colour-table pixel. Every ink model is
// known by a letter; bytes 0 to 3 always come from the CMYK fields (the RGB model
// aside), the letter picks the fields of the further bytes.
namespace it8 {

constexpr char kCmykLetter = 'C';
constexpr char kRgbLetter = 'X';

// The fields a pixel is read from, so that readers can look each name up once.
enum class Field {
    CmykC, CmykM, CmykY, CmykK,
    RgbR, RgbG, RgbB,
    CmykA, CmykB, CmykD, CmykE,
    CmykRgbR, CmykRgbG, CmykRgbB, CmykRgbO,
    CmykGlossy, Cmyk4Gray,
    ChannelLetter,
    None
};
constexpr int kFieldCount = static_cast<int>(Field::None);

// The field's name in target files.
const char* fieldName(Field field);

struct ChannelField
{
    int byteIndex;
    Field field;
    // Read when the field itself is missing, or None.
    Field alternative;
};

struct FurtherChannels
{
    const ChannelField* fields;
    int count;
};

// The letter of an "INK_MODEL" value (compared without regard to case), or 0 when
// the value names no model.
char inkModelLetter(const char* inkModel);

// The fields of bytes 4 and up for a letter, in reading order; none for C, X and
// letters without a model.
FurtherChannels furtherChannelsOf(char letter);

// The ink a channel field prints, by the letter the model names spell it with
// (CMYK, c m k n for CMYK_A, _B, _D, _E, R G B O for CMYK_RGB_R, _G, _B, _O), or
// kUnknownInk for a field no model name spells (gloss, 4GRAY).
constexpr char kUnknownInk = 'x';
char inkLetterOf(Field field);

} // namespace it8

#endif
