// Prints and measures one page of an IT8 target's patches through the printer's
// ACCEL SDK (or the simulator lumetra installs), and lists the data file.
// Usage: measure <SDK folder> <IT8 target> <data folder>
#include <lumetra/accelinstrument.h>
#include <lumetra/accelparamskeys.h>
#include <lumetra/accelsetup.h>
#include <lumetra/cit8toimageobj.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>

namespace {

constexpr int PatchesPerRow = 8;
constexpr int Channels = 4;

int fail(const QString& reason)
{
    std::fprintf(stderr, "measure: %s\n", qPrintable(reason));
    return 1;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4)
        return fail(QStringLiteral("usage: measure <SDK folder> <IT8 target> <data folder>"));

    // The page measures the chart's rows, the last row's padding included.
    CIt8ToImageObj target(args[2]);
    if (!target.ComputeLinearizationChart(1, 1, PatchesPerRow, Channels))
        return fail(target.GetErrorText());

    accelJobRequest request;
    request.it8File = args[2];
    request.patchesPerRow = PatchesPerRow;
    request.patchWidth = 6;
    request.patchHeight = 6;
    request.channels = Channels;
    request.paperWidth = 210;
    request.paperHeight = 297;
    request.totalPatchCount = target.GetTotalPatchCount();
    // Options without a setter go through the page's property map: Lab only, dried naturally.
    accelParams_st page = request.page();
    PropertyMap values;
    page.toMap(values, eSaveValues);
    values.insert(QLatin1String(accelParamsKeys::MeasType), DevProperty::QMapSetSimpleValue(1));
    values.insert(QLatin1String(accelParamsKeys::DryType), DevProperty::QMapSetSimpleValue(0));
    page.fromMap(values);
    accelMeasParams_st job;
    request.fillJob(job, page);

    accelInstrument instrument(args[1]);
    QObject::connect(&instrument, &accelInstrument::addLogLine, &instrument, [](const QString& line) {
        std::fprintf(stderr, "%s\n", qPrintable(line));
    }, Qt::DirectConnection);
    // The data file is announced on the SDK's thread; the page's end on this one.
    QObject::connect(&instrument, &accelInstrument::MeasureDataSignal, &instrument, [](const QString& file) {
        std::printf("data in %s\n", qPrintable(file));
    }, Qt::DirectConnection);
    QEventLoop pageWait;
    bool pageEnded = false;
    bool pageMeasured = false;
    QObject::connect(&instrument, &accelInstrument::pageEndSignal, [&](bool measured) {
        pageEnded = true;
        pageMeasured = measured;
        pageWait.quit();
    });
    instrument.setParams(job);

    const accelPrinter printer{3, QStringLiteral("127.0.0.1"), QStringLiteral("ILS30EP")};
    bool started = accelBringUp(instrument, printer, accelInstrument::PageEndsWithItsData, QStringLiteral("example"),
                                args[3])
        && instrument.accelPrintDoc() && instrument.StartPage(0);
    if (started) {
        instrument.EndPrint(0);
        QTimer::singleShot(60000, &pageWait, &QEventLoop::quit);
        if (!pageEnded)
            pageWait.exec();
    }
    const QString reason = instrument.errorString();
    instrument.cleanupACCEL();
    if (!started || !pageMeasured)
        return fail(pageEnded || !started ? reason : QStringLiteral("the page did not end within a minute"));
    std::printf("page measured\n");
    return 0;
}
