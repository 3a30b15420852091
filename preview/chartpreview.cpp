#include "chartpreview.h"

#include "areascaler.h"
#include "ctiffimg.h"
#include "inkblender.h"
#include "pngwriter.h"
#include "separationsheet.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

ChartPreview::ChartPreview(PreviewOptions options)
    : m_options(std::move(options))
{
}

bool ChartPreview::write(const QString& chartPath, const QString& pngPath)
{
    m_errorText.clear();
    m_chartPath = chartPath;
    const QFileInfo png(pngPath);
    if (png.exists() && png.canonicalFilePath() == QFileInfo(chartPath).canonicalFilePath())
        return refuse(QStringLiteral("the preview %1 would replace the chart").arg(pngPath));

    CTiffImg chart;
    InkSet inks;
    if (!openChart(chart, chartPath) || !chooseInks(chart, inks))
        return false;
    const int width = int(chart.GetWidth());
    const int height = int(chart.GetHeight());
    choosePictureSize(width, height);
    const InkBlender blender(inks);
    if (!m_options.separations)
        return writePicture(chart, blender, nullptr, pngPath);

    // The sheet's first rows need every tile: the chart is read once for them and
    // once more for the picture.
    SeparationSheet sheet(inks, width, height, m_pictureHeight);
    if (!readSeparations(chart, blender, sheet) || !openChart(chart, chartPath))
        return false;
    if (chart.GetWidth() != unsigned(width) || chart.GetHeight() != unsigned(height)
        || int(chart.GetSamples()) != inks.count())
        return refuse(QStringLiteral("%1 changed while it was read").arg(chartPath));
    return writePicture(chart, blender, &sheet, pngPath);
}

bool ChartPreview::refuse(const QString& reason)
{
    m_errorText = reason;
    return false;
}

bool ChartPreview::openChart(CTiffImg& chart, const QString& path)
{
    if (!chart.Open(QFile::encodeName(path).constData()))
        return refuse(chart.GetErrorText());
    if (chart.GetBitsPerSample() != 8)
        return refuse(QStringLiteral("%1 has %2 bits per sample; a chart has 8").arg(path).arg(chart.GetBitsPerSample()));
    if (chart.GetSamples() < 1 || chart.GetSamples() > unsigned(MaxChannels))
        return refuse(QStringLiteral("%1 has %2 channels; a chart has 1 to %3")
                          .arg(path)
                          .arg(chart.GetSamples())
                          .arg(MaxChannels));
    if (chart.GetPhoto() == CTiffImg::CieLab)
        return refuse(QStringLiteral("%1 holds CIELab values, not inks").arg(path));
    if (chart.GetWidth() > unsigned(AreaScaler::MaxSide) || chart.GetHeight() > unsigned(AreaScaler::MaxSide))
        return refuse(QStringLiteral("%1 is %2 x %3 pixels; a chart has at most %4 on a side")
                          .arg(path)
                          .arg(chart.GetWidth())
                          .arg(chart.GetHeight())
                          .arg(AreaScaler::MaxSide));
    return true;
}

bool ChartPreview::chooseInks(const CTiffImg& chart, InkSet& inks)
{
    const int channels = int(chart.GetSamples());
    if (m_options.inks.isEmpty()) {
        const bool light = chart.GetPhoto() == CTiffImg::Additive && (channels == 1 || channels == 3);
        inks = light ? InkSet::asStoredLight(channels) : InkSet::forChannels(channels);
        return true;
    }
    QString error;
    if (!InkSet::parse(m_options.inks, inks, error))
        return refuse(error);
    if (inks.count() != channels)
        return refuse(QStringLiteral("%1 inks named (%2) for %3, which has %4 channels")
                          .arg(inks.count())
                          .arg(inks.letters(), m_chartPath)
                          .arg(channels));
    return true;
}

void ChartPreview::choosePictureSize(int chartWidth, int chartHeight)
{
    m_pictureWidth = chartWidth;
    m_pictureHeight = chartHeight;
    const int longer = std::max(chartWidth, chartHeight);
    if (m_options.longerSide <= 0 || m_options.longerSide >= longer)
        return;
    const auto shorter = [&](int side) { return std::max(1, int(std::lround(double(side) * m_options.longerSide / longer))); };
    m_pictureWidth = chartWidth == longer ? m_options.longerSide : shorter(chartWidth);
    m_pictureHeight = chartWidth == longer ? shorter(chartHeight) : m_options.longerSide;
}

bool ChartPreview::readLine(CTiffImg& chart, int line, uint8_t* bytes)
{
    if (chart.ReadLine(bytes))
        return true;
    return refuse(QStringLiteral("line %1 of %2 cannot be read: %3").arg(line).arg(m_chartPath, chart.GetErrorText()));
}

bool ChartPreview::readSeparations(CTiffImg& chart, const InkBlender& blender, SeparationSheet& sheet)
{
    const int width = int(chart.GetWidth());
    std::vector<uint8_t> line(chart.GetBytesPerLine());
    std::vector<uint8_t> greys(size_t(width) * size_t(blender.channels()));
    for (int y = 0; y < int(chart.GetHeight()); ++y) {
        if (!readLine(chart, y, line.data()))
            return false;
        blender.separateLine(line.data(), width, greys.data());
        sheet.addChartLine(greys.data());
    }
    return true;
}

bool ChartPreview::writePicture(CTiffImg& chart, const InkBlender& blender, const SeparationSheet* sheet,
                                const QString& pngPath)
{
    const int width = int(chart.GetWidth());
    const int height = int(chart.GetHeight());
    const int sheetWidth = sheet ? sheet->width() : 0;
    const int rows = std::max(m_pictureHeight, sheet ? sheet->height() : 0);
    PngWriter png(pngPath);
    if (!png.open(uint32_t(m_pictureWidth + sheetWidth), uint32_t(rows)))
        return refuse(png.errorText());

    AreaScaler scaler(width, height, m_pictureWidth, m_pictureHeight, 3);
    std::vector<uint8_t> line(chart.GetBytesPerLine());
    std::vector<uint8_t> previous(line.size());
    std::vector<uint8_t> rgb(size_t(width) * 3);
    std::vector<uint8_t> row(size_t(m_pictureWidth + sheetWidth) * 3, 255);
    uint8_t* sheetPart = row.data() + size_t(m_pictureWidth) * 3;
    int written = 0;
    const auto writeRow = [&](const uint8_t* picture) {
        if (!sheet)
            return png.writeRow(picture);
        std::memcpy(row.data(), picture, size_t(m_pictureWidth) * 3);
        sheet->drawRow(written, sheetPart);
        return png.writeRow(row.data());
    };
    for (int y = 0; y < height; ++y) {
        if (!readLine(chart, y, line.data()))
            return false;
        // The lines inside a row of patches are alike: they are blended once.
        if (y == 0 || line != previous)
            blender.blendLine(line.data(), width, rgb.data());
        line.swap(previous);
        const uint8_t* picture = scaler.push(rgb.data());
        if (picture && !writeRow(picture))
            return refuse(png.errorText());
        written += picture ? 1 : 0;
    }
    // Below a picture shorter than the sheet, white.
    const std::vector<uint8_t> white(size_t(m_pictureWidth) * 3, 255);
    for (; written < rows; ++written) {
        if (!writeRow(white.data()))
            return refuse(png.errorText());
    }
    return png.commit() || refuse(png.errorText());
}
