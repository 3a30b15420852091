#ifndef LUMETRA_TESTS_DRIVERSETUP_H
#define LUMETRA_TESTS_DRIVERSETUP_H

#include <QString>

class accelInstrument;

struct PageSetup
{
    int patchesPerRow = 4;
    int patchWidth = 10;
    int patchHeight = 8;
    int channels = 4;
    int paperWidth = 320;
    int paperHeight = 450;
};

// Gives the instrument a job of one page, as the run controller does.
void setSinglePageJob(accelInstrument& instrument, const QString& it8, const PageSetup& setup);

// InitInstrument, checkAccelConnession and AccelStart; false at the first failure.
bool bringUp(accelInstrument& instrument, int connectionType = 3, const QString& address = QStringLiteral("127.0.0.1"),
             int mode = 2);

#endif
