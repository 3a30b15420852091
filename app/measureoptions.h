#ifndef LUMETRA_MEASUREOPTIONS_H
#define LUMETRA_MEASUREOPTIONS_H

#include <kelvora/devproperty.h>
#include "runoptions.h"

#include <QString>

// What lumetra-measure is asked to do: the chart tool's values (the TIFF path
// unused) and how the pages of the job are measured.
struct MeasureOptions
{
    RunOptions run;
    int pages = 1;
    // Page settings, defaulting to those of a new page.
    int offsetX = 0;
    int offsetY = 0;
    int measureType = 0;
    int calibType = 1;
    int takeUp = 1;
    int dryType = 1;
    int dryTime = 0;
    int uvFilter = 0;
    int m0 = 1;
    // The document mode given to AccelStart.
    int mode = 0;
    QString prefix;
    // Empty: the current directory.
    QString dataFolder;
    int timeoutSeconds = 600;
    // 1: the log keeps the driver's dump of each page's measurement set-up.
    int verbose = 0;
    // The page as the target lays it out (layOutTarget): its patches per row and
    // all the patches of its rows, the padding of the last row included.
    int patchesPerRow = 0;
    int totalPatchCount = 0;

    // Reads the target as the chart does and lays the pages out from it; empty
    // when the pages can be measured, else why not.
    QString layOutTarget();

    // The job of `pages` pages built alike, in the property-map form the
    // instrument reads; what a page has no setter for travels through its map.
    PropertyMap jobMap() const;
};

#endif
