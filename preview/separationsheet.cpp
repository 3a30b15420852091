#include "separationsheet.h"

#include "bitmapfont.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// In font pixels: a square swatch of the glyphs' height, then two blank columns.
constexpr int kTextLeft = BitmapFont::GlyphHeight + 2;

// Pixels per font pixel: the taller the cells, the larger the labels.
int labelScale(int pictureHeight, int rows)
{
    return std::clamp(pictureHeight / rows / 80, 1, 3);
}

InkColour swatchOf(const InkSet& inks, int channel)
{
    const InkColour ink = inks.colour(channel);
    // A channel of light shows the light it holds, the complement of its ink.
    if (inks.isLight(channel))
        return {uint8_t(255 - ink.red), uint8_t(255 - ink.green), uint8_t(255 - ink.blue)};
    return ink;
}

void fill(uint8_t* rgb, int pixels, InkColour colour)
{
    for (int x = 0; x < pixels; ++x, rgb += 3) {
        rgb[0] = colour.red;
        rgb[1] = colour.green;
        rgb[2] = colour.blue;
    }
}

} // namespace

// The longer side is kept between the bounds and never above the chart's own.
SeparationSheet::Size SeparationSheet::tileSize(int chartWidth, int chartHeight, int available)
{
    const double longer = std::max(chartWidth, chartHeight);
    double scale = double(std::max(available, 1)) / chartHeight;
    scale = std::clamp(scale * longer, double(MinTileSide), double(MaxTileSide)) / longer;
    scale = std::min(scale, 1.0);
    return {std::max(1, int(std::lround(chartWidth * scale))), std::max(1, int(std::lround(chartHeight * scale)))};
}

SeparationSheet::SeparationSheet(const InkSet& inks, int chartWidth, int chartHeight, int pictureHeight)
    : m_channels(std::max(inks.count(), 1))
    , m_rows(int(std::ceil(std::sqrt(double(m_channels)))))
    , m_columns((m_channels + m_rows - 1) / m_rows)
    , m_scale(labelScale(pictureHeight, m_rows))
    , m_labelHeight((BitmapFont::GlyphHeight + 3) * m_scale)
    , m_tile(tileSize(chartWidth, chartHeight, pictureHeight / m_rows - m_labelHeight - Gap))
    , m_scaler(chartWidth, chartHeight, m_tile.width, m_tile.height, m_channels)
{
    int labelWidth = 0;
    for (int channel = 0; channel < inks.count(); ++channel) {
        const Label label{QStringLiteral("%1 %2").arg(channel + 1).arg(QLatin1Char(inks.letter(channel))),
                          swatchOf(inks, channel)};
        m_labels.append(label);
        labelWidth = std::max(labelWidth, (kTextLeft + BitmapFont::Advance * int(label.text.size())) * m_scale);
    }
    m_cellWidth = std::max(m_tile.width, labelWidth) + Gap;
    m_cellHeight = m_labelHeight + m_tile.height + Gap;
    m_tiles.reserve(size_t(m_tile.width) * size_t(m_tile.height) * size_t(m_channels));
}

QRect SeparationSheet::tileRect(int channel) const
{
    const int row = channel / m_columns;
    const int column = channel % m_columns;
    return QRect(Gap + column * m_cellWidth, row * m_cellHeight + m_labelHeight, m_tile.width, m_tile.height);
}

void SeparationSheet::addChartLine(const uint8_t* greys)
{
    const uint8_t* line = m_scaler.push(greys);
    if (!line || m_tileLines >= m_tile.height)
        return;
    m_tiles.insert(m_tiles.end(), line, line + size_t(m_tile.width) * size_t(m_channels));
    ++m_tileLines;
}

void SeparationSheet::drawRow(int y, uint8_t* rgb) const
{
    fill(rgb, width(), {255, 255, 255});
    const int row = y / m_cellHeight;
    const int inCell = y % m_cellHeight;
    for (int column = 0; column < m_columns; ++column) {
        const int channel = row * m_columns + column;
        if (channel >= m_labels.size())
            break;
        uint8_t* cell = rgb + size_t(Gap + column * m_cellWidth) * 3;
        const int tileLine = inCell - m_labelHeight;
        if (inCell < m_labelHeight) {
            drawLabelRow(m_labels.at(channel), inCell, cell);
        } else if (tileLine < std::min(m_tile.height, m_tileLines)) {
            const uint8_t* grey = &m_tiles[size_t(tileLine) * size_t(m_tile.width) * size_t(m_channels) + size_t(channel)];
            for (int x = 0; x < m_tile.width; ++x, grey += m_channels, cell += 3)
                std::memset(cell, *grey, 3);
        }
    }
}

// One row of the label: a swatch of the channel's colour, then its text in black,
// a font pixel being m_scale x m_scale pixels, with a pixel's margin above.
void SeparationSheet::drawLabelRow(const Label& label, int y, uint8_t* rgb) const
{
    const int fontRow = y / m_scale - 1;
    if (fontRow < 0 || fontRow >= BitmapFont::GlyphHeight)
        return;
    fill(rgb, BitmapFont::GlyphHeight * m_scale, label.swatch);
    for (int i = 0; i < label.text.size(); ++i) {
        const char character = label.text.at(i).toLatin1();
        for (int x = 0; x < BitmapFont::GlyphWidth; ++x) {
            if (BitmapFont::isSet(character, x, fontRow))
                fill(rgb + size_t((kTextLeft + i * BitmapFont::Advance + x) * m_scale) * 3, m_scale, {0, 0, 0});
        }
    }
}
