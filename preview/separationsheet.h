#ifndef LUMETRA_SEPARATIONSHEET_H
#define LUMETRA_SEPARATIONSHEET_H

#include "areascaler.h"
#include "inkset.h"

#include <QRect>
#include <QString>
#include <QVector>

#include <cstdint>
#include <vector>

// The contact sheet beside a chart's blended picture: one greyscale tile per
// channel, the whole chart with that ink alone printed in black, under a label
// of the channel's number, a swatch of the colour it blends with and its ink
// letter. The tiles lie in a grid of ceil(sqrt(channels)) rows, each as large as
// the picture's height allows and at most MaxTileSide pixels on its longer side.
// They are made from a whole first reading of the chart, as the sheet's first
// rows need every tile, and are its only memory.
class SeparationSheet
{
public:
    static constexpr int MaxTileSide = 512;
    static constexpr int MinTileSide = 16;
    // Between the picture and the sheet and between tiles, in pixels.
    static constexpr int Gap = 8;

    SeparationSheet(const InkSet& inks, int chartWidth, int chartHeight, int pictureHeight);

    // Pixels beside the picture, the gap to it included.
    int width() const { return Gap + m_columns * m_cellWidth; }
    int height() const { return m_rows * m_cellHeight; }
    // Where the tile of a channel lies on the sheet.
    QRect tileRect(int channel) const;

    // Takes the chart's next line, top to bottom, as InkBlender::separateLine
    // gives it: one grey level per channel and pixel.
    void addChartLine(const uint8_t* greys);
    // Row y of the sheet, width() pixels of red, green and blue.
    void drawRow(int y, uint8_t* rgb) const;

private:
    struct Label
    {
        QString text;
        InkColour swatch;
    };
    struct Size
    {
        int width;
        int height;
    };

    // The chart's proportions within the height a grid cell leaves.
    static Size tileSize(int chartWidth, int chartHeight, int available);

    void drawLabelRow(const Label& label, int y, uint8_t* rgb) const;

    int m_channels;
    int m_rows;
    int m_columns;
    int m_scale;
    int m_labelHeight;
    Size m_tile;
    int m_cellWidth;
    int m_cellHeight;
    QVector<Label> m_labels;
    AreaScaler m_scaler;
    // Tile lines top to bottom, each tile width x channels grey levels.
    std::vector<uint8_t> m_tiles;
    int m_tileLines = 0;
};

#endif
