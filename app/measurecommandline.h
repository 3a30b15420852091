#ifndef LUMETRA_MEASURECOMMANDLINE_H
#define LUMETRA_MEASURECOMMANDLINE_H

#include "commandline.h"
#include "measureoptions.h"

#include <QString>
#include <QStringList>

// Reads the options of lumetra-measure: the chart tool's words, read the same
// way, and the measurement's own.
class MeasureCommandLine
{
public:
    // Keeps a page's wait, in milliseconds, within an int.
    static constexpr int MaxTimeoutSeconds = 2147483;

    // words: the arguments after the program name.
    explicit MeasureCommandLine(const QStringList& words);

    const MeasureOptions& options() const { return m_options; }
    // Required option words that were not given, in the order of the usage text.
    QStringList missingOptions() const;
    // Empty when every value can be used, else the line that says why not.
    QString refusal() const;

    static QString usageText();

private:
    bool store(const QString& option, const QString& value);

    // Filled while m_commandLine reads the words, so declared before it.
    MeasureOptions m_options;
    CommandLine m_commandLine;
};

#endif
