#include "commandline.h"

#include <cstdint>
#include <limits>

namespace {

// An option word and how its value is stored.
struct OptionField
{
    const char* word;
    void (*store)(RunOptions& options, const QString& value);
};

const OptionField optionFields[] = {
    {"-accellpath", [](RunOptions& o, const QString& v) { o.accelPath = v; }},
    {"-it8", [](RunOptions& o, const QString& v) { o.it8File = v; }},
    {"-tiffoutput", [](RunOptions& o, const QString& v) { o.outputTiff = v; }},
    {"-patchperrow", [](RunOptions& o, const QString& v) { o.patchPerRow = CommandLine::toInteger(v); }},
    {"-patchsizex", [](RunOptions& o, const QString& v) { o.patchSizeX = CommandLine::toInteger(v); }},
    {"-patchsizey", [](RunOptions& o, const QString& v) { o.patchSizeY = CommandLine::toInteger(v); }},
    // Paper sizes are unsigned: a negative number wraps.
    {"-papersizex", [](RunOptions& o, const QString& v) { o.paperSizeX = uint32_t(CommandLine::toInteger(v)); }},
    {"-papersizey", [](RunOptions& o, const QString& v) { o.paperSizeY = uint32_t(CommandLine::toInteger(v)); }},
    {"-numcolor", [](RunOptions& o, const QString& v) { o.numColor = CommandLine::toInteger(v); }},
    {"-numpatch", [](RunOptions& o, const QString& v) { o.numPatch = CommandLine::toInteger(v); }},
    {"-prnconntype", [](RunOptions& o, const QString& v) { o.prnConnType = CommandLine::toInteger(v); }},
    {"-prnaddr", [](RunOptions& o, const QString& v) { o.prnAddr = v; }},
    {"-prnmodel", [](RunOptions& o, const QString& v) { o.prnModel = v; }},
};

} // namespace

CommandLine::CommandLine(const QStringList& words, const OtherOption& otherOption)
{
    for (int i = 0; i < words.size(); ++i) {
        const QString& word = words.at(i);
        if (i + 1 >= words.size())
            break;
        if (store(word, words.at(i + 1))) {
            ++m_valueCount;
            m_given.insert(word);
            ++i;
        } else if (otherOption && otherOption(word, words.at(i + 1))) {
            ++i;
        }
    }
}

bool CommandLine::store(const QString& option, const QString& value)
{
    for (const OptionField& field : optionFields) {
        if (option == QLatin1String(field.word)) {
            field.store(m_options, value);
            return true;
        }
    }
    return false;
}

QStringList CommandLine::optionWords()
{
    QStringList words;
    for (const OptionField& field : optionFields)
        words << QString::fromLatin1(field.word);
    return words;
}

int32_t CommandLine::toInteger(const QString& text)
{
    int i = 0;
    const int size = text.size();
    // isspace() of the C locale: blank, tab, line feed, vertical tab, form feed, carriage return.
    while (i < size && (text.at(i) == QLatin1Char(' ') || (text.at(i) >= QLatin1Char('\t') && text.at(i) <= QLatin1Char('\r'))))
        ++i;
    bool negative = false;
    if (i < size && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    // Accumulate the magnitude in 64 bits and stop growing once past the int range.
    const int64_t limit = negative ? -int64_t(std::numeric_limits<int32_t>::min()) : std::numeric_limits<int32_t>::max();
    int64_t magnitude = 0;
    for (; i < size && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9'); ++i) {
        if (magnitude <= limit)
            magnitude = magnitude * 10 + (text.at(i).unicode() - '0');
    }
    if (magnitude > limit)
        magnitude = limit;
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

QString CommandLine::usageText()
{
    return QStringLiteral("lumetra usage \n")
        + QStringLiteral("\t-accellpath: accell sdk path \n")
        + QStringLiteral("\t-it8: it8 complete path file \n")
        + QStringLiteral("\t-tiffoutput:  output file complete path\n")
        + QStringLiteral("\t-patchperrow: patch per row\n")
        + QStringLiteral("\t-patchsizex: patch width (mm) \n")
        + QStringLiteral("\t-patchsizey: patch height (mm) \n")
        + QStringLiteral("\t-papersizex: paper width (mm) \n")
        + QStringLiteral("\t-papersizey: paper height (mm) \n")
        + QStringLiteral("\t-numcolor: target color number \n")
        + QStringLiteral("\t-numpatch: target total patch number \n")
        + QStringLiteral("\t-prnconntype: printer connection type (3 TCP, 4 USB, 6 AUTO)\n")
        + QStringLiteral("\t-prnaddr: printer address (es. 192.168.1.100) \n")
        + QStringLiteral("\t-prnmodel: printer model (es. LF Pro 7900) \n");
}
