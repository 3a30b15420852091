#include "chartrequest.h"

#include "chartgeometry.h"

#include <utility>

namespace {

using ChartGeometry::fitsRecord;

QString refuse(const QString& option, qint64 value, const QString& why)
{
    return QStringLiteral("Invalid option %1 %2: %3").arg(option).arg(value).arg(why);
}

} // namespace

ChartRequest::ChartRequest(const RunOptions& options)
    : m_options(options)
{
}

QString ChartRequest::refusal() const
{
    const RunOptions& o = m_options;
    const std::pair<const char*, const QString&> paths[] = {
        {"-accellpath", o.accelPath}, {"-it8", o.it8File}, {"-tiffoutput", o.outputTiff}};
    for (const auto& path : paths) {
        const QString refusal = o.undecodablePathRefusal(path.first, path.second);
        if (!refusal.isEmpty())
            return refusal;
    }
    const QString tooLong = QStringLiteral("the length does not fit the printer's records");
    if (o.patchPerRow == 0)
        return refuse(QStringLiteral("-patchperrow"), 0, QStringLiteral("a chart needs at least one patch per row"));
    if (o.patchSizeX < 1)
        return refuse(QStringLiteral("-patchsizex"), o.patchSizeX, QStringLiteral("patches must be at least 1 mm wide"));
    if (o.patchSizeY < 1)
        return refuse(QStringLiteral("-patchsizey"), o.patchSizeY, QStringLiteral("patches must be at least 1 mm high"));
    if (o.numColor < 1 || o.numColor > MaxChannels)
        return refuse(QStringLiteral("-numcolor"), o.numColor,
                      QStringLiteral("the channel count must be between 1 and %1").arg(MaxChannels));
    if (!fitsRecord(o.paperSizeX))
        return refuse(QStringLiteral("-papersizex"), o.paperSizeX, tooLong);
    if (!fitsRecord(o.paperSizeY))
        return refuse(QStringLiteral("-papersizey"), o.paperSizeY, tooLong);
    if (!fitsRecord(o.patchSizeX))
        return refuse(QStringLiteral("-patchsizex"), o.patchSizeX, tooLong);
    if (!fitsRecord(o.patchSizeY))
        return refuse(QStringLiteral("-patchsizey"), o.patchSizeY, tooLong);
    // A negative row length comes from the target, so the chart width is known only later.
    if (o.patchPerRow > 0 && !fitsRecord(ChartGeometry::chartWidth(o.patchSizeX, o.patchPerRow)))
        return refuse(QStringLiteral("-patchperrow"), o.patchPerRow,
                      QStringLiteral("the chart would be wider than the printer's records allow"));
    return QString();
}
