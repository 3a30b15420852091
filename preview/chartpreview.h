#ifndef LUMETRA_CHARTPREVIEW_H
#define LUMETRA_CHARTPREVIEW_H

#include "inkset.h"

#include <QString>

class CTiffImg;
class SeparationSheet;
class InkBlender;

// How a chart is previewed.
struct PreviewOptions
{
    // The ink letter of each channel in order (InkSet::parse); empty: by the
    // chart's channel count, an additive file of one or three channels as grey or RGB.
    QString inks;
    // The longer side of the picture in pixels, when the chart's is longer; 0 keeps
    // the chart's size.
    int longerSide = 0;
    // A greyscale tile per channel beside the picture.
    bool separations = false;
};

// Reads a chart TIFF line by line and writes the picture a person sees of it as an
// 8-bit RGB PNG: the inks blended into sRGB, scaled down by area average when
// asked. Memory follows the chart's width, not its height.
class ChartPreview
{
public:
    // Charts have 1 to this many channels.
    static constexpr int MaxChannels = 32;

    explicit ChartPreview(PreviewOptions options);

    // False, with errorText() saying why, when the chart cannot be read or the PNG
    // cannot be written; no PNG is left under its name then.
    bool write(const QString& chartPath, const QString& pngPath);
    QString errorText() const { return m_errorText; }

    // The size of the picture beside any tiles; valid after write.
    int pictureWidth() const { return m_pictureWidth; }
    int pictureHeight() const { return m_pictureHeight; }

private:
    bool refuse(const QString& reason);
    bool openChart(CTiffImg& chart, const QString& path);
    bool chooseInks(const CTiffImg& chart, InkSet& inks);
    void choosePictureSize(int chartWidth, int chartHeight);
    bool readLine(CTiffImg& chart, int line, uint8_t* bytes);
    bool readSeparations(CTiffImg& chart, const InkBlender& blender, SeparationSheet& sheet);
    bool writePicture(CTiffImg& chart, const InkBlender& blender, const SeparationSheet* sheet,
                      const QString& pngPath);

    PreviewOptions m_options;
    QString m_chartPath;
    QString m_errorText;
    int m_pictureWidth = 0;
    int m_pictureHeight = 0;
};

#endif
