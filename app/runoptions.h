#ifndef LUMETRA_RUNOPTIONS_H
#define LUMETRA_RUNOPTIONS_H

#include "accelsetup.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdint>

// The values of the command line, handed by value to the run.
struct RunOptions
{
    QString accelPath;
    QString it8File;
    QString outputTiff;
    int32_t prnConnType = 0;
    QString prnAddr;
    QString prnModel;
    int32_t patchPerRow = 0;
    int32_t patchSizeX = 0;
    int32_t patchSizeY = 0;
    int32_t numColor = 0;
    uint32_t paperSizeX = 0;
    uint32_t paperSizeY = 0;
    int32_t numPatch = 0;
    // -preview, optional: the PNG picture of the chart; empty for none.
    QString previewPng;
    // Arguments that the file-name encoding cannot decode, by their lossy decoding,
    // with the bytes given: such a path would name another file.
    QHash<QString, QByteArray> undecodableArguments;

    // The chart's page as the options describe it, and the printer.
    accelJobRequest jobRequest() const;
    accelPrinter printer() const;
    // The thirteen "name: value" lines a run starts its log with.
    QStringList logLines() const;
    // The refusal of a path option whose value the file-name encoding could not
    // decode, naming the bytes given; empty for a path that names what was given.
    QString undecodablePathRefusal(const char* option, const QString& value) const;
};

#endif
