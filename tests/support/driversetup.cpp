#include "driversetup.h"

#include "accelinstrument.h"
#include "accelsetup.h"

void setSinglePageJob(accelInstrument& instrument, const QString& it8, const PageSetup& setup)
{
    accelJobRequest request;
    request.it8File = it8;
    request.patchesPerRow = setup.patchesPerRow;
    request.patchWidth = setup.patchWidth;
    request.patchHeight = setup.patchHeight;
    request.channels = setup.channels;
    request.paperWidth = setup.paperWidth;
    request.paperHeight = setup.paperHeight;
    accelMeasParams_st job;
    request.fillJob(job);
    instrument.setParams(job);
}

bool bringUp(accelInstrument& instrument, int connectionType, const QString& address, int mode)
{
    return accelBringUp(instrument, {connectionType, address, QStringLiteral("ILS30EP")}, mode);
}
