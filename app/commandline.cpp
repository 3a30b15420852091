#include "commandline.h"

#include <cstdint>
#include <limits>

CommandLine::CommandLine(const QStringList& words)
{
    for (int i = 0; i < words.size(); ++i) {
        const QString& word = words.at(i);
        if (i + 1 < words.size() && store(word, words.at(i + 1))) {
            ++m_valueCount;
            ++i;
        }
    }
}

bool CommandLine::store(const QString& option, const QString& value)
{
    if (option == QLatin1String("-accellpath"))
        m_options.accelPath = value;
    else if (option == QLatin1String("-it8"))
        m_options.it8File = value;
    else if (option == QLatin1String("-tiffoutput"))
        m_options.outputTiff = value;
    else if (option == QLatin1String("-patchperrow"))
        m_options.patchPerRow = toInteger(value);
    else if (option == QLatin1String("-patchsizex"))
        m_options.patchSizeX = toInteger(value);
    else if (option == QLatin1String("-patchsizey"))
        m_options.patchSizeY = toInteger(value);
    else if (option == QLatin1String("-papersizex"))
        m_options.paperSizeX = static_cast<uint32_t>(toInteger(value));
    else if (option == QLatin1String("-papersizey"))
        m_options.paperSizeY = static_cast<uint32_t>(toInteger(value));
    else if (option == QLatin1String("-numcolor"))
        m_options.numColor = toInteger(value);
    else if (option == QLatin1String("-numpatch"))
        m_options.numPatch = toInteger(value);
    else if (option == QLatin1String("-prnconntype"))
        m_options.prnConnType = toInteger(value);
    else if (option == QLatin1String("-prnaddr"))
        m_options.prnAddr = value;
    else if (option == QLatin1String("-prnmodel"))
        m_options.prnModel = value;
    else
        return false;
    return true;
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
