#ifndef LUMETRA_COMMANDLINE_H
#define LUMETRA_COMMANDLINE_H

#include "runoptions.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

// Reads the thirteen named options. Every option word followed by a value
// counts, repetitions included; any other word is skipped.
class CommandLine
{
public:
    static constexpr int RequiredValues = 13;

    // Offered each word pair whose first word is none of the thirteen; true when
    // it took the pair as an option of its own and its value.
    using OtherOption = std::function<bool(const QString& option, const QString& value)>;

    // words: the arguments after the program name.
    explicit CommandLine(const QStringList& words, const OtherOption& otherOption = OtherOption());

    const RunOptions& options() const { return m_options; }
    int valueCount() const { return m_valueCount; }
    bool isComplete() const { return m_valueCount >= RequiredValues; }
    // Whether the option word was given with a value at least once.
    bool has(const QString& option) const { return m_given.contains(option); }

    // The thirteen option words, in the order of the usage text.
    static QStringList optionWords();

    static QString usageText();

    // atoi's reading (leading blanks, optional sign, digits up to the first
    // other character, none gives 0), clamped to the int range instead of
    // overflowing.
    static int32_t toInteger(const QString& text);

private:
    bool store(const QString& option, const QString& value);

    RunOptions m_options;
    int m_valueCount = 0;
    QSet<QString> m_given;
};

#endif
