#ifndef LUMETRA_CTIFFFILE_H
#define LUMETRA_CTIFFFILE_H

#include <QIODevice>
#include <QString>

#include <tiffio.h>

#include <cstdarg>
#include <cstdint>
#include <memory>
#include <vector>

class QFileDevice;
class QSaveFile;

// A libtiff handle over a Qt file: a QFile when reading, a QSaveFile when
// writing, so that a written file appears under its name only once it is
// whole. Keeps the first failure the file system and libtiff report for it.
class CTiffFile
{
public:
    explicit CTiffFile(const QString& path);
    // A file being written and not committed is dropped.
    ~CTiffFile();

    CTiffFile(const CTiffFile&) = delete;
    CTiffFile& operator=(const CTiffFile&) = delete;

    // False, with reason() telling why, when the file cannot be had.
    bool open();
    // An existing path must be a regular file (or a link to one, which stays
    // and gets its target replaced): a device or FIFO is never replaced.
    bool create();

    // Writes the directory and gives the file its name; false when this or any
    // earlier write failed, and then nothing is left of the file.
    bool commit();

    TIFF* handle() const { return m_tiff; }

    // Decodes a strip into buffer (size bytes), which must hold the strip this
    // decoded last, untouched since: a strip stored with the same bytes as that
    // one decodes to the same lines and is compared, not decoded again (a chart
    // repeats every line of a row of patches). False when libtiff fails.
    bool decodeStrip(uint32_t strip, unsigned char* buffer, tmsize_t size);
    const QString& path() const { return m_path; }
    qint64 size() const;
    // Whether the system or libtiff reported a failure; libtiff reports every
    // failed write.
    bool failed() const { return !m_systemError.isEmpty() || !m_tiffError.isEmpty(); }
    // The system's reason, then libtiff's message; empty when none was seen.
    QString reason() const;

private:
    bool attach(std::unique_ptr<QFileDevice> device, QIODevice::OpenMode deviceMode, const char* tiffMode);
    void closeHandle();
    void noteSystemError(const QString& text);
    QSaveFile* saveFile() const;

    static tmsize_t readProc(thandle_t handle, void* data, tmsize_t size);
    static tmsize_t writeProc(thandle_t handle, void* data, tmsize_t size);
    static toff_t seekProc(thandle_t handle, toff_t offset, int whence);
    static int closeProc(thandle_t handle);
    static toff_t sizeProc(thandle_t handle);
    static int mapProc(thandle_t handle, void** base, toff_t* size);
    static void unmapProc(thandle_t handle, void* base, toff_t size);
    static int errorProc(TIFF* tiff, void* handle, const char* module, const char* format, va_list args);
    static int warningProc(TIFF* tiff, void* handle, const char* module, const char* format, va_list args);

    QString m_path;
    std::unique_ptr<QFileDevice> m_device;
    TIFF* m_tiff = nullptr;
    // The stored bytes of the strip being read and of the strip decoded last.
    std::vector<unsigned char> m_storedStrip;
    std::vector<unsigned char> m_decodedStrip;
    QString m_systemError;
    QString m_tiffError;
};

#endif
