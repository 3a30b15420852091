#ifndef LUMETRA_DEVFILE_H
#define LUMETRA_DEVFILE_H

#include "kelvora_export.h"

#include <QByteArray>
#include <QString>

// Files the driver leaves for host programs.
class KELVORA_EXPORT DevFile
{
public:
    // Writes the measurement data of a page to filePath, exactly the bytes of
    // data. The file appears whole or not at all: it is written beside its
    // target and renamed into place. Fails without an IT8 path (the data means
    // nothing without its target) and when the folder is missing or read-only.
    static bool createDataMeasureFile(const QString& it8Path, const QByteArray& data, const QString& filePath,
                                      QString* errorText = nullptr);
};

#endif
