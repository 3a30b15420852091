// A host program built only from the installed package: it uses each exported
// class once, so a header or symbol missing from the install fails to build or link.
// Arguments: the simulator folder, an IT8 target of four channels, a TIFF to write.
#include "accelinstrument.h"
#include "accelmeasparams_st.h"
#include "cit8toimageobj.h"
#include "ctiffimg.h"
#include "measure.h"

#include <QCoreApplication>

#include <cstdio>
#include <vector>

namespace {

constexpr int Channels = 4;

int fail(const char* what)
{
    std::fprintf(stderr, "lumetrahost: %s\n", what);
    return 1;
}

// Writes the target's first line of patches as a one-line TIFF.
bool writeFirstLine(const CIt8ToImageObj& target, const char* path)
{
    const int width = target.GetPatchCountPerRow();
    const PixelExtend* image = target.GetTargetImage();
    std::vector<unsigned char> line(image, image + width * Channels);
    CTiffImg tiff;
    if (!tiff.Create(path, width, 1, 8, CTiffImg::Subtractive, Channels, 72.0f, 72.0f, true))
        return false;
    const bool written = tiff.WriteLine(line.data());
    tiff.Close();
    return written;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 4)
        return fail("usage: lumetrahost <simulator folder> <IT8 file> <TIFF file>");

    CIt8ToImageObj target(QString::fromLocal8Bit(argv[2]));
    if (target.ComputeLinearizationChart(1, 1, -1, Channels) != 1 || target.GetPatchCountPerRow() < 1)
        return fail("the target gives no colour table");
    if (!writeFirstLine(target, argv[3]))
        return fail("the TIFF file was not written");

    accelMeasParams_st job;
    job.setPageWidth(Measure(Measure::Millimetre, 210.0));
    PropertyMap map;
    job.toMap(map, eSaveValues);

    accelInstrument instrument(QString::fromLocal8Bit(argv[1]));
    QObject::connect(&instrument, &accelInstrument::addLogLine,
                     [](const QString& line) { std::printf("%s\n", qPrintable(line)); });
    instrument.setParams(map);
    if (instrument.params().getPageWidth(Measure::Millimetre) != 210)
        return fail("the job did not reach the instrument");
    if (!instrument.InitInstrument(3, QStringLiteral("127.0.0.1"), QStringLiteral("ILS30EP"))
        || !instrument.checkAccelConnession())
        return fail("the simulator did not answer");
    instrument.cleanupACCEL();
    return 0;
}
