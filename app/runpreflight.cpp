#include "runpreflight.h"

#include "cit8toimageobj.h"

#include <QDir>
#include <QFileInfo>

RunPreflight::RunPreflight(const RunOptions& options)
{
    checkTarget(options);
    if (m_refusal.isEmpty())
        checkOutputFolder(options);
}

void RunPreflight::checkTarget(const RunOptions& options)
{
    const QFileInfo target(options.it8File);
    if (!target.exists()) {
        m_refusal = QStringLiteral("lumetra: the target %1 does not exist").arg(target.absoluteFilePath());
        return;
    }
    CIt8ToImageObj table(options.it8File);
    if (table.ComputeLinearizationChart(1, 1, options.patchPerRow, options.numColor) == 0) {
        m_refusal = QStringLiteral("lumetra: %1").arg(table.GetErrorText());
        return;
    }
    const int channels = table.GetTargetChannelCount();
    if (channels > 0 && channels != options.numColor)
        m_warnings << QStringLiteral("lumetra: warning: -numcolor %1, but the target provides %2 channels; the chart "
                                     "has %1, %3")
                          .arg(options.numColor)
                          .arg(channels)
                          .arg(options.numColor < channels ? QStringLiteral("the target's last %1 are not printed")
                                                                 .arg(channels - options.numColor)
                                                           : QStringLiteral("the last %1 stay empty")
                                                                 .arg(options.numColor - channels));
    if (table.GetSetCount() != options.numPatch)
        m_warnings << QStringLiteral("lumetra: warning: -numpatch %1, but the target holds %2 patches; the chart "
                                     "takes the target's")
                          .arg(options.numPatch)
                          .arg(table.GetSetCount());
}

void RunPreflight::checkOutputFolder(const RunOptions& options)
{
    const QFileInfo folder(QFileInfo(options.outputTiff).absolutePath());
    if (!folder.isDir())
        m_refusal = QStringLiteral("lumetra: the folder %1 of -tiffoutput does not exist").arg(folder.filePath());
    else if (!folder.isWritable())
        m_refusal = QStringLiteral("lumetra: the folder %1 of -tiffoutput cannot be written").arg(folder.filePath());
}
