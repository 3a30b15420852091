#ifndef LUMETRA_BITMAPFONT_H
#define LUMETRA_BITMAPFONT_H

// A 5 x 7 pixel font of what a separation's label needs: the digits, the ink
// letters and the blank. Other characters are blank.
class BitmapFont
{
public:
    static constexpr int GlyphWidth = 5;
    static constexpr int GlyphHeight = 7;
    // From one character's left edge to the next one's.
    static constexpr int Advance = GlyphWidth + 1;

    // Whether pixel (x, y) of the character's glyph is ink; (0, 0) is its top left.
    static bool isSet(char character, int x, int y);
};

#endif
