#ifndef LUMETRA_MEASUREOPTIONS_H
#define LUMETRA_MEASUREOPTIONS_H

#include "devproperty.h"
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

    // The job of `pages` pages built alike, in the property-map form the
    // instrument reads; what a page has no setter for travels through its map.
    PropertyMap jobMap() const;
};

#endif
