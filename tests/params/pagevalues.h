#ifndef LUMETRA_TESTS_PAGEVALUES_H
#define LUMETRA_TESTS_PAGEVALUES_H

#include <kelvora/devproperty.h>

#include <QString>

class accelParams_st;

// Every value of a page that travels in its map, for building pages whose
// members all differ from the defaults and checking them after a trip.
struct PageValues
{
    QString it8FilePath;
    int totalPatchCount;
    unsigned char measureType;
    int dryType;
    int dryTime;
    int patchCountPerRow;
    int numChannels;
    int calibType;
    bool takeUp;
    int uvFilter;
    int mm0;
    double patchSizeX;
    double patchSizeY;
    double offsetX;
    double offsetY;
};

// Two value sets, each member different from the page defaults.
PageValues firstPageValues();
PageValues secondPageValues();

// A length record as a map in the value form holds it, in millimetres.
PropertyMap millimetreRecord(double value);

// A new page with every member set: setters where there are any, a
// hand-written value map for the rest.
accelParams_st* newPageWith(const PageValues& values);

// Every getter of page against values; lengths are read in whole millimetres.
void expectPageHolds(const accelParams_st& page, const PageValues& values);

#endif
