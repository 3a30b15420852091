#ifndef LUMETRA_PREVIEWCOMMANDLINE_H
#define LUMETRA_PREVIEWCOMMANDLINE_H

#include "chartpreview.h"

#include <QString>
#include <QStringList>

// The words of lumetra-preview: the chart, the PNG and the options, in any order;
// the word after -inks or -width is always its value.
class PreviewCommandLine
{
public:
    // words: the arguments after the program name.
    explicit PreviewCommandLine(const QStringList& words);

    // Empty when the words make a preview, else why not.
    QString refusal() const { return m_refusal; }
    const QString& chartPath() const { return m_chartPath; }
    const QString& pngPath() const { return m_pngPath; }
    const PreviewOptions& options() const { return m_options; }

    static QString usageText();

private:
    void refuse(const QString& reason);

    QString m_chartPath;
    QString m_pngPath;
    PreviewOptions m_options;
    QString m_refusal;
};

#endif
