#include "measurecommandline.h"

#include "accelmeasparams_st.h"

#include <limits>

namespace {

constexpr int IntMin = std::numeric_limits<int>::min();
constexpr int IntMax = std::numeric_limits<int>::max();

// A number option of the measurement, its field, its allowed values and its usage text.
struct NumberOption
{
    const char* word;
    int MeasureOptions::*field;
    int min;
    int max;
    const char* meaning;
};

const NumberOption numberOptions[] = {
    {"-pages", &MeasureOptions::pages, 1, accelMeasParams_st::MaxPageCount, "pages to measure, all alike"},
    {"-offsetx", &MeasureOptions::offsetX, IntMin, IntMax, "horizontal offset of the patches (mm)"},
    {"-offsety", &MeasureOptions::offsetY, IntMin, IntMax, "vertical offset of the patches (mm)"},
    {"-measuretype", &MeasureOptions::measureType, 0, 4, "0 spectral, 1 Lab, 2 XYZ, 3 Yxy, 4 Lch"},
    {"-calibtype", &MeasureOptions::calibType, 0, 3, "calibration: 0 none, 1 once, 2 each patch group, 3 each line"},
    {"-takeup", &MeasureOptions::takeUp, 0, 1, "take-up, 0 or 1"},
    {"-drytype", &MeasureOptions::dryType, 0, 1, "drying: 0 natural, 1 artificial"},
    {"-drytime", &MeasureOptions::dryTime, 0, 100, "drying time"},
    {"-uvfilter", &MeasureOptions::uvFilter, 0, 1, "UV filter, 0 or 1"},
    {"-m0", &MeasureOptions::m0, 0, 1, "M0, 0 or 1"},
    {"-mode", &MeasureOptions::mode, IntMin, IntMax, "document mode"},
    {"-timeout", &MeasureOptions::timeoutSeconds, 1, MeasureCommandLine::MaxTimeoutSeconds,
     "seconds to wait for each page to end"},
    {"-verbose", &MeasureOptions::verbose, 0, 1, "1: log the measurement set-up of each page"},
};

const char prefixWord[] = "-prefix";
const char dataFolderWord[] = "-datafolder";
const char tiffWord[] = "-tiffoutput";

} // namespace

MeasureCommandLine::MeasureCommandLine(const QStringList& words)
    : m_commandLine(words, [this](const QString& option, const QString& value) { return store(option, value); })
{
    m_options.run = m_commandLine.options();
}

bool MeasureCommandLine::store(const QString& option, const QString& value)
{
    for (const NumberOption& number : numberOptions) {
        if (option == QLatin1String(number.word)) {
            m_options.*number.field = CommandLine::toInteger(value);
            return true;
        }
    }
    if (option == QLatin1String(prefixWord))
        m_options.prefix = value;
    else if (option == QLatin1String(dataFolderWord))
        m_options.dataFolder = value;
    else
        return false;
    return true;
}

QStringList MeasureCommandLine::missingOptions() const
{
    QStringList missing;
    for (const QString& word : CommandLine::optionWords()) {
        if (word != QLatin1String(tiffWord) && !m_commandLine.has(word))
            missing << word;
    }
    return missing;
}

QString MeasureCommandLine::refusal() const
{
    for (const NumberOption& number : numberOptions) {
        const int value = m_options.*number.field;
        if (value < number.min || value > number.max)
            return QStringLiteral("Invalid option %1 %2: the value must lie between %3 and %4")
                .arg(QLatin1String(number.word))
                .arg(value)
                .arg(number.min)
                .arg(number.max);
    }
    return QString();
}

QString MeasureCommandLine::usageText()
{
    const MeasureOptions defaults;
    QString text = QStringLiteral("lumetra-measure usage \n") + CommandLine::usageText().section(QLatin1Char('\n'), 1)
        + QStringLiteral("\t(-tiffoutput is optional and not used)\n");
    for (const NumberOption& number : numberOptions)
        text += QStringLiteral("\t%1: %2 (default %3)\n")
                    .arg(QLatin1String(number.word), QLatin1String(number.meaning))
                    .arg(defaults.*number.field);
    return text + QStringLiteral("\t-prefix: data file name prefix (default empty)\n")
        + QStringLiteral("\t-datafolder: folder of the data files (default the current directory)\n");
}
