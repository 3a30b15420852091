#include "pngwriter.h"

#include "coutputfile.h"

#include <csetjmp>

namespace {

const char kLibpngFailed[] = "libpng failed";

struct Header
{
    uint32_t width;
    uint32_t height;
};

// Runs libpng calls that report failure by a long jump back here. Neither this
// frame nor the steps nor the write callback holds an object with a destructor
// while libpng may jump, so the jump skips no clean-up.
bool runStep(png_structp png, png_infop info, void (*step)(png_structp, png_infop, const void*), const void* argument)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    step(png, info, argument);
    return true;
}

void writeHeader(png_structp png, png_infop info, const void* argument)
{
    const auto* header = static_cast<const Header*>(argument);
    png_set_IHDR(png, info, header->width, header->height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // Charts are flat patches, whose repeated lines the fastest level packs well
    // without a filter; a filter or a higher level costs the preview half as much
    // time again for a smaller file.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, 1);
    png_write_info(png, info);
}

void writeRowStep(png_structp png, png_infop, const void* argument)
{
    png_write_row(png, static_cast<png_const_bytep>(argument));
}

void writeEnd(png_structp png, png_infop info, const void*)
{
    png_write_end(png, info);
}

} // namespace

PngWriter::PngWriter(const QString& path)
    : m_file(path)
{
}

PngWriter::~PngWriter()
{
    release();
    discardFile();
}

bool PngWriter::open(uint32_t width, uint32_t height)
{
    if (!COutputFile::isReplaceable(m_file.fileName()))
        return fail(QStringLiteral("not a regular file"));
    // Unbuffered, so that a write the system refuses fails in the write that made it.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(m_file.errorString());
    m_png = png_create_write_struct(PNG_LIBPNG_VER_STRING, this, onError, onWarning);
    m_info = m_png ? png_create_info_struct(m_png) : nullptr;
    if (!m_info)
        return fail(QStringLiteral("libpng cannot be set up"));
    png_set_write_fn(m_png, this, writeData, flushData);
    m_rowsLeft = height;
    const Header header{width, height};
    return runStep(m_png, m_info, writeHeader, &header) || fail(QLatin1String(kLibpngFailed));
}

bool PngWriter::writeRow(const uint8_t* row)
{
    if (!m_png || !m_failure.isEmpty())
        return false;
    if (m_rowsLeft == 0)
        return fail(QStringLiteral("a row beyond the image's height"));
    --m_rowsLeft;
    return runStep(m_png, m_info, writeRowStep, row) || fail(QLatin1String(kLibpngFailed));
}

bool PngWriter::commit()
{
    if (!m_png || !m_failure.isEmpty())
        return false;
    if (m_rowsLeft != 0)
        return fail(QStringLiteral("%1 rows of the image were not written").arg(m_rowsLeft));
    if (!runStep(m_png, m_info, writeEnd, nullptr))
        return fail(QLatin1String(kLibpngFailed));
    release();
    return m_file.commit() || fail(m_file.errorString());
}

QString PngWriter::errorText() const
{
    return m_failure.isEmpty() ? QString() : QStringLiteral("%1: %2").arg(m_file.fileName(), m_failure);
}

void PngWriter::note(const QString& reason)
{
    if (m_failure.isEmpty())
        m_failure = reason;
}

bool PngWriter::fail(const QString& reason)
{
    note(reason);
    release();
    discardFile();
    return false;
}

// A cancelled commit removes the temporary file at once; where the system gives it a name
// (Windows), it would otherwise stay beside the path until the writer goes.
void PngWriter::discardFile()
{
    if (!m_file.isOpen())
        return;
    m_file.cancelWriting();
    m_file.commit();
}

void PngWriter::release()
{
    if (m_png)
        png_destroy_write_struct(&m_png, m_info ? &m_info : nullptr);
    m_png = nullptr;
    m_info = nullptr;
}

void PngWriter::writeData(png_structp png, png_bytep data, size_t size)
{
    auto* self = static_cast<PngWriter*>(png_get_io_ptr(png));
    if (!COutputFile::writeAll(self->m_file, reinterpret_cast<const char*>(data), qint64(size)))
        onError(png, nullptr);
}

void PngWriter::flushData(png_structp)
{
    // Unbuffered: every write reached the system already.
}

void PngWriter::onError(png_structp png, png_const_charp message)
{
    auto* self = static_cast<PngWriter*>(png_get_error_ptr(png));
    // libpng still holds its state: the writer releases it after the jump.
    self->note(message ? QStringLiteral("libpng: %1").arg(QString::fromLocal8Bit(message)) : self->m_file.errorString());
    png_longjmp(png, 1);
}

void PngWriter::onWarning(png_structp, png_const_charp)
{
    // Warnings leave a whole image; errors are what fail it.
}
