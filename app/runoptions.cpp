#include "runoptions.h"

#include "logwriter.h"

#include <QTextCodec>

QStringList RunOptions::logLines() const
{
    return {
        QStringLiteral("accelPath: %1").arg(accelPath),
        QStringLiteral("it8File: %1").arg(it8File),
        QStringLiteral("outputTiff: %1").arg(outputTiff),
        QStringLiteral("patchperRow: %1").arg(patchPerRow),
        QStringLiteral("patchsizex: %1").arg(patchSizeX),
        QStringLiteral("patchsizey: %1").arg(patchSizeY),
        QStringLiteral("pagesizex: %1").arg(paperSizeX),
        QStringLiteral("pagesizey: %1").arg(paperSizeY),
        QStringLiteral("colornum: %1").arg(numColor),
        QStringLiteral("patchnum: %1").arg(numPatch),
        QStringLiteral("prnconnTye: %1").arg(prnConnType),
        QStringLiteral("prnAddr: %1").arg(prnAddr),
        QStringLiteral("prnModel: %1").arg(prnModel),
    };
}

QString RunOptions::undecodablePathRefusal(const char* option, const QString& value) const
{
    const auto given = undecodableArguments.constFind(value);
    if (given == undecodableArguments.constEnd())
        return QString();
    return QStringLiteral("Invalid option %1 %2: the path is not valid in this system's file-name encoding (%3)")
        .arg(QLatin1String(option), escapedBytes(*given), QString::fromLatin1(QTextCodec::codecForLocale()->name()));
}

accelJobRequest RunOptions::jobRequest() const
{
    accelJobRequest request;
    request.it8File = it8File;
    request.patchesPerRow = patchPerRow;
    request.patchWidth = patchSizeX;
    request.patchHeight = patchSizeY;
    request.channels = numColor;
    request.paperWidth = paperSizeX;
    request.paperHeight = paperSizeY;
    request.totalPatchCount = numPatch;
    return request;
}

accelPrinter RunOptions::printer() const
{
    return {prnConnType, prnAddr, prnModel};
}
