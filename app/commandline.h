#ifndef LUMETRA_COMMANDLINE_H
#define LUMETRA_COMMANDLINE_H

#include "runoptions.h"

#include <QString>
#include <QStringList>

// Reads the thirteen named options. Every option word followed by a value
// counts, repetitions included; any other word is skipped.
class CommandLine
{
public:
    static constexpr int RequiredValues = 13;

    // words: the arguments after the program name.
    explicit CommandLine(const QStringList& words);

    const RunOptions& options() const { return m_options; }
    int valueCount() const { return m_valueCount; }
    bool isComplete() const { return m_valueCount >= RequiredValues; }

    static QString usageText();

    // atoi's reading (leading blanks, optional sign, digits up to the first
    // other character, none gives 0), clamped to the int range instead of
    // overflowing.
    static int32_t toInteger(const QString& text);

private:
    bool store(const QString& option, const QString& value);

    RunOptions m_options;
    int m_valueCount = 0;
};

#endif
