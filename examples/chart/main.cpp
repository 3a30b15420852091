// Renders the measurement chart of an IT8 target as a TIFF file through the
// printer's ACCEL SDK (or the simulator lumetra installs), then reads it back.
// Usage: chart <SDK folder> <IT8 target> <TIFF file>
#include <lumetra/accelinstrument.h>
#include <lumetra/accelsetup.h>
#include <lumetra/ctiffimg.h>

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: chart <SDK folder> <IT8 target> <TIFF file>\n");
        return 1;
    }

    // One page: 8 patches of 6 x 6 mm per row, four inks, on A4.
    accelJobRequest request;
    request.it8File = args[2];
    request.patchesPerRow = 8;
    request.patchWidth = 6;
    request.patchHeight = 6;
    request.channels = 4;
    request.paperWidth = 210;
    request.paperHeight = 297;
    accelMeasParams_st job;
    request.fillJob(job);

    accelInstrument instrument(args[1]);
    // Log lines may come from the SDK's threads: print them as they come.
    QObject::connect(&instrument, &accelInstrument::addLogLine, &instrument, [](const QString& line) {
        std::printf("%s\n", qPrintable(line));
    }, Qt::DirectConnection);
    instrument.setParams(job);
    instrument.setTiffPath(args[3]);

    const accelPrinter printer{3, QStringLiteral("127.0.0.1"), QStringLiteral("ILS30EP")};
    // The file is whole under its name once GenerateTiff returns true.
    const bool made = accelBringUp(instrument, printer, accelInstrument::ChartDocument) && instrument.GenerateTiff();
    const QString reason = instrument.errorString();
    instrument.cleanupACCEL();
    if (!made) {
        std::fprintf(stderr, "chart: %s\n", qPrintable(reason));
        return 1;
    }

    CTiffImg tiff;
    if (!tiff.Open(QFile::encodeName(args[3]).constData())) {
        std::fprintf(stderr, "chart: %s\n", qPrintable(tiff.GetErrorText()));
        return 1;
    }
    std::printf("chart: %lu x %lu pixels, %lu channels\n", tiff.GetWidth(), tiff.GetHeight(), tiff.GetSamples());
    return 0;
}
