// lumetra-preview: the picture of a chart TIFF that a person can look at, as a PNG.
#include "chartpreview.h"
#include "previewcommandline.h"
#include "startup.h"

#include <QCoreApplication>
#include <QFile>

#include <tiffio.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Startup::prepareProcess();
    // A chart that cannot be read is reported once, with its reason, below.
    TIFFSetErrorHandler(nullptr);
    const QStringList words = Startup::argumentWords();
    QFile out;
    QFile err;
    out.open(stdout, QIODevice::WriteOnly);
    err.open(stderr, QIODevice::WriteOnly);
    if (words == QStringList{QStringLiteral("--help")}) {
        out.write(PreviewCommandLine::usageText().toLocal8Bit());
        return 0;
    }
    const PreviewCommandLine commandLine(words);
    if (!commandLine.refusal().isEmpty()) {
        err.write(QStringLiteral("lumetra-preview: %1\n").arg(commandLine.refusal()).toLocal8Bit()
                  + PreviewCommandLine::usageText().toLocal8Bit());
        return 1;
    }
    // Such a path would name another file.
    const QHash<QString, QByteArray> undecodable = Startup::undecodableArguments(argc, argv);
    ChartPreview preview(commandLine.options());
    QString failure;
    for (const QString& path : {commandLine.chartPath(), commandLine.pngPath()}) {
        if (failure.isEmpty() && undecodable.contains(path))
            failure = QStringLiteral("the path %1 is not valid in this system's file-name encoding").arg(path);
    }
    if (failure.isEmpty() && !preview.write(commandLine.chartPath(), commandLine.pngPath()))
        failure = preview.errorText();
    if (!failure.isEmpty()) {
        err.write(QStringLiteral("lumetra-preview: %1\n").arg(failure).toLocal8Bit());
        return 1;
    }
    return 0;
}
