#include "accelsetup.h"

#include "accelinstrument.h"

#include <kelvora/measure.h>

#include <utility>

accelParams_st accelJobRequest::page() const
{
    accelParams_st page;
    page.setIt8FilePath(it8File);
    page.setPatchCountPerRow(patchesPerRow);
    page.setPatchSizeX(Measure(Measure::Millimetre, patchWidth));
    page.setPatchSizeY(Measure(Measure::Millimetre, patchHeight));
    page.setNumChannels(channels);
    page.setTotalPatchCount(totalPatchCount);
    return page;
}

void accelJobRequest::fillJob(accelMeasParams_st& job, const accelParams_st& page, int count) const
{
    job.setPageWidth(Measure(Measure::Millimetre, paperWidth));
    job.setPageHeight(Measure(Measure::Millimetre, paperHeight));
    // Detached first, so the job never holds a deleted page.
    qDeleteAll(std::exchange(job.pages, {}));
    for (int i = 0; i < count; ++i)
        job.pages.append(new accelParams_st(page));
}

void accelJobRequest::fillJob(accelMeasParams_st& job) const
{
    fillJob(job, page());
}

bool accelConnect(accelInstrument& instrument, const accelPrinter& printer)
{
    return instrument.InitInstrument(printer.connectionType, printer.address, printer.model)
        && instrument.checkAccelConnession();
}

bool accelBringUp(accelInstrument& instrument, const accelPrinter& printer, int documentMode,
                  const QString& dataFilePrefix, const QString& dataFolder)
{
    return accelConnect(instrument, printer) && instrument.AccelStart(documentMode, dataFilePrefix, dataFolder);
}
