#include "targetlayout.h"

#include "cit8toimageobj.h"

#include <QFileInfo>

TargetLayout::TargetLayout(const RunOptions& options)
{
    const QFileInfo target(options.it8File);
    if (!target.exists()) {
        m_refusal = QStringLiteral("the target %1 does not exist").arg(target.absoluteFilePath());
        return;
    }
    CIt8ToImageObj table(options.it8File);
    if (table.ComputeLinearizationChart(1, 1, options.patchPerRow, options.numColor) == 0) {
        m_refusal = table.GetErrorText();
        return;
    }
    m_setCount = table.GetSetCount();
    m_channelCount = table.GetTargetChannelCount();
    m_patchesPerRow = table.GetPatchCountPerRow();
    m_totalPatchCount = table.GetTotalPatchCount();
}
