#include "previewcommandline.h"

#include "inkset.h"

PreviewCommandLine::PreviewCommandLine(const QStringList& words)
{
    QStringList paths;
    for (int i = 0; i < words.size() && m_refusal.isEmpty(); ++i) {
        const QString& word = words.at(i);
        const bool hasValue = i + 1 < words.size();
        if (word == QLatin1String("-separations")) {
            m_options.separations = true;
        } else if (word == QLatin1String("-inks") || word == QLatin1String("-width")) {
            if (!hasValue) {
                refuse(QStringLiteral("%1 needs a value").arg(word));
                break;
            }
            const QString& value = words.at(++i);
            bool number = false;
            if (word == QLatin1String("-inks"))
                m_options.inks = value;
            else if ((m_options.longerSide = value.toInt(&number)) < 1 || !number)
                refuse(QStringLiteral("-width %1: the width must be a whole number of pixels above 0").arg(value));
        } else if (word.startsWith(QLatin1Char('-')) && word.size() > 1) {
            refuse(QStringLiteral("unknown option %1").arg(word));
        } else {
            paths << word;
        }
    }
    if (m_refusal.isEmpty() && paths.size() != 2)
        refuse(QStringLiteral("a chart TIFF and a PNG to write are needed, %1 paths given").arg(paths.size()));
    m_chartPath = paths.value(0);
    m_pngPath = paths.value(1);
}

void PreviewCommandLine::refuse(const QString& reason)
{
    m_refusal = reason;
}

QString PreviewCommandLine::usageText()
{
    return QStringLiteral("lumetra-preview usage: lumetra-preview [options] CHART.tif OUT.png\n"
                          "\t-inks LIST: the ink of each channel in order, one letter each: %1\n"
                          "\t\t(C M Y K; light c m k, n light light black; O orange, G green, V violet, R red, B blue;\n"
                          "\t\tx unknown). Default by the chart's channels: CMYKcmknRGB, then x\n"
                          "\t-width N: the longer side of the picture in pixels (area average; default the chart's)\n"
                          "\t-separations: a greyscale tile per channel beside the picture\n")
        .arg(InkSet::knownLetters());
}
