#include "runpreflight.h"

#include "targetlayout.h"

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
    const TargetLayout target(options);
    if (!target.refusal().isEmpty()) {
        m_refusal = QStringLiteral("lumetra: %1").arg(target.refusal());
        return;
    }
    const int channels = target.channelCount();
    if (channels > 0 && channels != options.numColor)
        m_warnings << QStringLiteral("lumetra: warning: -numcolor %1, but the target provides %2 channels; the chart "
                                     "has %1, %3")
                          .arg(options.numColor)
                          .arg(channels)
                          .arg(options.numColor < channels ? QStringLiteral("the target's last %1 are not printed")
                                                                 .arg(channels - options.numColor)
                                                           : QStringLiteral("the last %1 stay empty")
                                                                 .arg(options.numColor - channels));
    if (target.setCount() != options.numPatch)
        m_warnings << QStringLiteral("lumetra: warning: -numpatch %1, but the target holds %2 patches; the chart "
                                     "takes the target's")
                          .arg(options.numPatch)
                          .arg(target.setCount());
}

void RunPreflight::checkOutputFolder(const RunOptions& options)
{
    const QFileInfo folder(QFileInfo(options.outputTiff).absolutePath());
    if (!folder.isDir())
        m_refusal = QStringLiteral("lumetra: the folder %1 of -tiffoutput does not exist").arg(folder.filePath());
    else if (!folder.isWritable())
        m_refusal = QStringLiteral("lumetra: the folder %1 of -tiffoutput cannot be written").arg(folder.filePath());
}
