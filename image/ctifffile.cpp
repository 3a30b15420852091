#include "ctifffile.h"

#include "coutputfile.h"

#include <QFile>
#include <QSaveFile>

#include <cstdio>
#include <limits>

namespace {

struct OpenOptionsDeleter
{
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

} // namespace

CTiffFile::CTiffFile(const QString& path)
    : m_path(path)
{
}

CTiffFile::~CTiffFile()
{
    // Later writes fail at once, so closing does not write a directory that is dropped anyway.
    if (QSaveFile* file = saveFile())
        file->cancelWriting();
    closeHandle();
}

bool CTiffFile::open()
{
    return attach(std::make_unique<QFile>(m_path), QIODevice::ReadOnly, "r");
}

bool CTiffFile::create()
{
    // Unbuffered, so that a write the system refuses fails in the write that made it.
    return attach(std::make_unique<QSaveFile>(m_path), QIODevice::WriteOnly | QIODevice::Unbuffered, "w");
}

bool CTiffFile::attach(std::unique_ptr<QFileDevice> device, QIODevice::OpenMode deviceMode, const char* tiffMode)
{
    if (!COutputFile::isReplaceable(m_path)) {
        noteSystemError(QStringLiteral("not a regular file"));
        return false;
    }
    m_device = std::move(device);
    if (!m_device->open(deviceMode)) {
        noteSystemError(m_device->errorString());
        return false;
    }
    const std::unique_ptr<TIFFOpenOptions, OpenOptionsDeleter> options(TIFFOpenOptionsAlloc());
    if (!options)
        return false;
    // libtiff's own handler is process-wide; this one keeps the messages of this file.
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), errorProc, this);
    // A chart names no inks, which libtiff notes on every reading; warnings leave the file usable.
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), warningProc, this);
    m_tiff = TIFFClientOpenExt(QFile::encodeName(m_path).constData(), tiffMode, this, readProc, writeProc, seekProc,
                               closeProc, sizeProc, mapProc, unmapProc, options.get());
    return m_tiff != nullptr;
}

bool CTiffFile::commit()
{
    QSaveFile* file = saveFile();
    if (!file || !m_tiff)
        return false;
    // After the flush, closing has nothing left to write.
    if (TIFFFlush(m_tiff) != 1 || failed())
        return false;
    closeHandle();
    if (!file->commit()) {
        noteSystemError(file->errorString());
        return false;
    }
    return true;
}

bool CTiffFile::decodeStrip(uint32_t strip, unsigned char* buffer, tmsize_t size)
{
    // Stored bytes beyond the decoded size are not compared, so that no file makes
    // this hold more than a decoded strip.
    const uint64_t stored = TIFFGetStrileByteCount(m_tiff, strip);
    bool read = false;
    if (stored > 0 && stored <= uint64_t(size)) {
        m_storedStrip.resize(size_t(stored));
        read = TIFFReadRawStrip(m_tiff, strip, m_storedStrip.data(), tmsize_t(stored)) == tmsize_t(stored);
        if (read && m_storedStrip == m_decodedStrip)
            return true;
    }
    m_decodedStrip.clear();
    if (TIFFReadEncodedStrip(m_tiff, strip, buffer, size) < 0)
        return false;
    if (read)
        m_decodedStrip.swap(m_storedStrip);
    return true;
}

void CTiffFile::closeHandle()
{
    if (m_tiff) {
        TIFFClose(m_tiff);
        m_tiff = nullptr;
    }
}

qint64 CTiffFile::size() const
{
    return m_device ? m_device->size() : 0;
}

QString CTiffFile::reason() const
{
    if (m_tiffError.isEmpty())
        return m_systemError;
    if (m_systemError.isEmpty())
        return m_tiffError;
    return m_systemError + QStringLiteral("; ") + m_tiffError;
}

void CTiffFile::noteSystemError(const QString& text)
{
    if (m_systemError.isEmpty())
        m_systemError = text;
}

QSaveFile* CTiffFile::saveFile() const
{
    return qobject_cast<QSaveFile*>(m_device.get());
}

tmsize_t CTiffFile::readProc(thandle_t handle, void* data, tmsize_t size)
{
    auto* self = static_cast<CTiffFile*>(handle);
    const qint64 read = self->m_device->read(static_cast<char*>(data), size);
    if (read < 0)
        self->noteSystemError(self->m_device->errorString());
    return read;
}

tmsize_t CTiffFile::writeProc(thandle_t handle, void* data, tmsize_t size)
{
    auto* self = static_cast<CTiffFile*>(handle);
    if (!COutputFile::writeAll(*self->m_device, static_cast<const char*>(data), size)) {
        self->noteSystemError(self->m_device->errorString());
        return -1;
    }
    return size;
}

toff_t CTiffFile::seekProc(thandle_t handle, toff_t offset, int whence)
{
    QFileDevice& device = *static_cast<CTiffFile*>(handle)->m_device;
    constexpr toff_t invalid = std::numeric_limits<toff_t>::max();
    qint64 base = 0;
    switch (whence) {
    case SEEK_SET:
        break;
    case SEEK_CUR:
        base = device.pos();
        break;
    case SEEK_END:
        base = device.size();
        break;
    default:
        return invalid;
    }
    // Offsets are unsigned to libtiff; positions past qint64 cannot be reached.
    if (offset > toff_t(std::numeric_limits<qint64>::max() - base) || !device.seek(base + qint64(offset)))
        return invalid;
    return toff_t(device.pos());
}

int CTiffFile::closeProc(thandle_t)
{
    // The device is committed or dropped by its owner, after libtiff is done with it.
    return 0;
}

toff_t CTiffFile::sizeProc(thandle_t handle)
{
    return toff_t(static_cast<CTiffFile*>(handle)->m_device->size());
}

int CTiffFile::mapProc(thandle_t handle, void** base, toff_t* size)
{
    QFileDevice& device = *static_cast<CTiffFile*>(handle)->m_device;
    const qint64 length = device.size();
    uchar* data = length > 0 ? device.map(0, length) : nullptr;
    if (!data)
        return 0;
    *base = data;
    *size = toff_t(length);
    return 1;
}

void CTiffFile::unmapProc(thandle_t handle, void* base, toff_t)
{
    static_cast<CTiffFile*>(handle)->m_device->unmap(static_cast<uchar*>(base));
}

int CTiffFile::errorProc(TIFF*, void* handle, const char* module, const char* format, va_list args)
{
    auto* self = static_cast<CTiffFile*>(handle);
    if (self->m_tiffError.isEmpty()) {
        char text[512];
        std::vsnprintf(text, sizeof text, format, args);
        const QString message = QString::fromLocal8Bit(text);
        self->m_tiffError = module ? QString::fromLocal8Bit(module) + QStringLiteral(": ") + message : message;
    }
    // Handled: the message reaches the caller with the failure it caused.
    return 1;
}

int CTiffFile::warningProc(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}
