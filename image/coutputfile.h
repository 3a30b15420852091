#ifndef LUMETRA_COUTPUTFILE_H
#define LUMETRA_COUTPUTFILE_H

#include <QFileInfo>
#include <QIODevice>
#include <QString>

// What every file the tools save through a QSaveFile relies on, so that none
// appears half-written under its name and none replaces what is not a file.
// Inline, as the tools use it beside the driver's library, which exports only
// its public classes.
class COutputFile
{
public:
    // Whether a file may be saved at path: nothing is there, or a regular file or
    // a link to one (exists and isFile look at the link's target). A FIFO or
    // device has no size to bound reading by, and the rename that ends a
    // QSaveFile's writing would replace it.
    static bool isReplaceable(const QString& path)
    {
        const QFileInfo info(path);
        return !info.exists() || info.isFile();
    }

    // Writes every byte. Qt takes a short write for no error; writing the rest
    // brings out the system's reason, which the device's errorString then holds.
    static bool writeAll(QIODevice& device, const char* data, qint64 size)
    {
        qint64 done = 0;
        while (done < size) {
            const qint64 written = device.write(data + done, size - done);
            if (written <= 0)
                return false;
            done += written;
        }
        return true;
    }
};

#endif
