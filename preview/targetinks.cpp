#include "targetinks.h"

#include "cit8toimageobj.h"

QString TargetInks::lettersFor(const QString& targetPath, int chartChannels)
{
    CIt8ToImageObj target(targetPath);
    // Any row length lays a target out; the inks do not depend on it.
    if (chartChannels <= 0 || target.ComputeLinearizationChart(1, 1, 1, chartChannels) == 0)
        return QString();
    const QString letters = target.GetInkLetters();
    if (letters.isEmpty())
        return letters;
    return letters.left(chartChannels).leftJustified(chartChannels, QLatin1Char('x'));
}
