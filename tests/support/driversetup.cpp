#include "driversetup.h"

#include "accelinstrument.h"
#include "accelmeasparams_st.h"

void setSinglePageJob(accelInstrument& instrument, const QString& it8, const PageSetup& setup)
{
    constexpr unsigned long Millimetre = 3;
    accelMeasParams_st job;
    job.setPageWidth(Measure(Millimetre, setup.paperWidth));
    job.setPageHeight(Measure(Millimetre, setup.paperHeight));
    auto* page = new accelParams_st;
    page->setIt8FilePath(it8);
    page->setPatchCountPerRow(setup.patchesPerRow);
    page->setPatchSizeX(Measure(Millimetre, setup.patchWidth));
    page->setPatchSizeY(Measure(Millimetre, setup.patchHeight));
    page->setNumChannels(setup.channels);
    job.pages.append(page);
    instrument.setParams(job);
}

bool bringUp(accelInstrument& instrument, int connectionType, const QString& address, int mode)
{
    return instrument.InitInstrument(connectionType, address, QStringLiteral("ILS30EP"))
        && instrument.checkAccelConnession() && instrument.AccelStart(mode, QString(), QString());
}
