#include "ctiffimg.h"

#include "ctifffile.h"

#include <QFile>

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

const char kCreateFailure[] = "Can not open output image";
const char kOpenFailure[] = "Can not open input image";

uint16_t photometricFor(unsigned long kind, unsigned long samplesPerPixel)
{
    switch (kind) {
    case CTiffImg::Additive:
        return samplesPerPixel == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    case CTiffImg::Subtractive:
        return PHOTOMETRIC_SEPARATED;
    case CTiffImg::CieLab:
        return PHOTOMETRIC_CIELAB;
    default:
        // Unknown kinds are written as the most neutral coding, grey.
        return PHOTOMETRIC_MINISBLACK;
    }
}

// Why the strips of an opened file cannot be read line by line within the
// bounds, or empty. Offsets and counts come from the file and are not trusted.
QString stripProblem(TIFF* tiff, uint64_t fileSize, uint64_t bytesPerLine, uint32_t rowsPerStrip, uint32_t height)
{
    const tmsize_t stripSize = TIFFStripSize(tiff);
    if (stripSize <= 0 || rowsPerStrip == 0 || bytesPerLine == 0)
        return QStringLiteral("it has no lines to read");
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetField(tiff, TIFFTAG_COMPRESSION, &compression);
    // A stored strip lies in the file whole; a compressed one may expand, up to the fixed bound.
    const uint64_t limit = compression == COMPRESSION_NONE ? std::min<uint64_t>(fileSize, CTiffImg::MaxStripBytes)
                                                           : CTiffImg::MaxStripBytes;
    if (uint64_t(stripSize) > limit)
        return QStringLiteral("a strip of %1 bytes is above the limit of %2 bytes").arg(stripSize).arg(limit);
    // A strip must hold all its lines, else ReadLine would copy past the buffer. The line
    // is bounded first, so that the product cannot overflow.
    const uint32_t linesPerStrip = std::min(rowsPerStrip, height);
    if (bytesPerLine > uint64_t(stripSize) || bytesPerLine * linesPerStrip > uint64_t(stripSize))
        return QStringLiteral("its strips of %1 bytes cannot hold %2 lines of %3 bytes")
            .arg(stripSize)
            .arg(linesPerStrip)
            .arg(bytesPerLine);
    for (uint32_t strip = 0, strips = TIFFNumberOfStrips(tiff); strip < strips; ++strip) {
        const uint64_t offset = TIFFGetStrileOffset(tiff, strip);
        const uint64_t count = TIFFGetStrileByteCount(tiff, strip);
        if (count > fileSize || offset > fileSize - count)
            return QStringLiteral("strip %1 of %2 bytes at offset %3 lies beyond the end of the file (%4 bytes)")
                .arg(strip)
                .arg(count)
                .arg(offset)
                .arg(fileSize);
    }
    return QString();
}

} // namespace

CTiffImg::CTiffImg() = default;

CTiffImg::~CTiffImg() = default;

bool CTiffImg::Create(const char* path, unsigned long width, unsigned long height, unsigned long bitsPerSample,
                      unsigned long photometricKind, unsigned long samplesPerPixel, float xRes, float yRes,
                      bool compress)
{
    Close();
    m_errorText.clear();
    m_file = std::make_unique<CTiffFile>(QFile::decodeName(path));

    // The TIFF fields are 32-bit (sizes) and 16-bit (samples, bits); anything wider cannot be stored.
    if (width > UINT32_MAX || height > UINT32_MAX || bitsPerSample > UINT16_MAX || samplesPerPixel > UINT16_MAX
        || height > static_cast<unsigned long>(INT32_MAX))
        return refuse(kCreateFailure, QStringLiteral("%1 x %2 pixels of %3 samples of %4 bits cannot be stored")
                                          .arg(width)
                                          .arg(height)
                                          .arg(samplesPerPixel)
                                          .arg(bitsPerSample));

    m_width = static_cast<uint32_t>(width);
    m_height = static_cast<uint32_t>(height);
    m_bitsPerSample = static_cast<uint16_t>(bitsPerSample);
    m_samplesPerPixel = static_cast<uint16_t>(samplesPerPixel);
    m_mode = Writing;
    m_photometric = photometricFor(photometricKind, samplesPerPixel);

    if (!m_file->create())
        return refuse(kCreateFailure);

    TIFF* const tiff = m_file->handle();
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, m_width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, m_height);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, m_photometric);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, m_samplesPerPixel);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, m_bitsPerSample);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 1u);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, compress ? COMPRESSION_LZW : COMPRESSION_NONE);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, static_cast<double>(xRes));
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, static_cast<double>(yRes));
    // libtiff reports a value it refuses; a tag missing from the file would make it unreadable.
    if (m_file->failed())
        return refuse(kCreateFailure);

    m_lineCounter = 0;
    m_currentLine = 0;
    const tmsize_t stripSize = TIFFStripSize(tiff);
    if (stripSize <= 0 || stripSize > static_cast<tmsize_t>(UINT32_MAX))
        return refuse(kCreateFailure, QStringLiteral("a line of %1 pixels has no size in 32 bits").arg(width));
    m_bytesPerLine = static_cast<uint32_t>(stripSize);
    return true;
}

bool CTiffImg::Open(const char* path)
{
    Close();
    m_errorText.clear();
    m_mode = Reading;
    m_file = std::make_unique<CTiffFile>(QFile::decodeName(path));
    if (!m_file->open())
        return refuse(kOpenFailure);

    TIFF* const tiff = m_file->handle();
    uint16_t planar = PLANARCONFIG_CONTIG;
    uint16_t orientation = ORIENTATION_TOPLEFT;
    // A tag the file leaves out must not keep the value of a file read before.
    m_photometric = 0;
    m_xRes = 0.0f;
    m_yRes = 0.0f;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &m_width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &m_height);
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &m_photometric);
    TIFFGetField(tiff, TIFFTAG_PLANARCONFIG, &planar);
    // Left out, these are TIFF's default of one sample of one bit.
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &m_samplesPerPixel);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &m_bitsPerSample);
    // libtiff itself makes a file without it one strip.
    TIFFGetField(tiff, TIFFTAG_ROWSPERSTRIP, &m_rowsPerStrip);
    TIFFGetField(tiff, TIFFTAG_ORIENTATION, &orientation);
    TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &m_xRes);
    TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &m_yRes);

    if ((m_samplesPerPixel > 1 && planar != PLANARCONFIG_CONTIG) || orientation != ORIENTATION_TOPLEFT)
        return refuse(kOpenFailure, QStringLiteral("only interleaved samples from the top left can be read"));

    m_currentLine = -1;
    m_lineCounter = 0;
    // Bytes per line in 64 bits: samples (16) x bits (16) x width (32) cannot overflow there.
    const uint64_t bytesPerLine = (uint64_t(m_samplesPerPixel) * m_bitsPerSample * m_width + 7) / 8;
    const QString problem = stripProblem(tiff, uint64_t(m_file->size()), bytesPerLine, m_rowsPerStrip, m_height);
    if (!problem.isEmpty())
        return refuse(kOpenFailure, problem);
    // Both are bounded by MaxStripBytes now.
    m_stripSize = static_cast<uint32_t>(TIFFStripSize(tiff));
    m_bytesPerLine = static_cast<uint32_t>(bytesPerLine);
    try {
        m_stripBuffer.assign(m_stripSize, 0);
    } catch (const std::bad_alloc&) {
        return refuse(kOpenFailure, QStringLiteral("no memory for a strip of %1 bytes").arg(m_stripSize));
    }
    return true;
}

bool CTiffImg::WriteLine(unsigned char* line)
{
    return writeStrip(line, 1);
}

bool CTiffImg::WriteLineBack(unsigned char* line)
{
    return writeStrip(line, -1);
}

// Writes the current line and moves by step; libtiff would add strips past the height.
bool CTiffImg::writeStrip(unsigned char* line, int32_t step)
{
    if (!m_file || m_mode != Writing)
        return false;
    if (m_currentLine < 0 || static_cast<uint32_t>(m_currentLine) >= m_height) {
        noteFailure(QStringLiteral("line %1 is outside the image of %2 lines").arg(m_currentLine).arg(m_height));
        return false;
    }
    if (TIFFWriteEncodedStrip(m_file->handle(), static_cast<uint32_t>(m_currentLine), line, m_bytesPerLine) < 0) {
        noteFailure(QStringLiteral("line %1 cannot be written").arg(m_currentLine));
        return false;
    }
    m_currentLine += step;
    return true;
}

void CTiffImg::SetToEnd()
{
    m_currentLine = static_cast<int32_t>(m_height) - 1;
}

bool CTiffImg::ReadLine(unsigned char* line)
{
    if (!m_file || m_mode != Reading || m_lineCounter >= m_height)
        return false;
    const uint32_t strip = m_lineCounter / m_rowsPerStrip;
    if (static_cast<int64_t>(strip) != m_currentLine) {
        m_currentLine = static_cast<int32_t>(strip);
        if (!m_file->decodeStrip(strip, m_stripBuffer.data(), m_stripSize)) {
            noteFailure(QStringLiteral("line %1 cannot be read").arg(m_lineCounter));
            return false;
        }
    }
    std::memcpy(line, m_stripBuffer.data() + size_t(m_lineCounter % m_rowsPerStrip) * m_bytesPerLine,
                m_bytesPerLine);
    ++m_lineCounter;
    return true;
}

bool CTiffImg::Close()
{
    const bool saved = !m_file || m_mode != Writing || m_file->commit();
    if (!saved)
        noteFailure(QStringLiteral("cannot be saved"));
    Discard();
    return saved;
}

void CTiffImg::Discard()
{
    m_width = 0;
    m_height = 0;
    m_bitsPerSample = 0;
    m_samplesPerPixel = 0;
    m_file.reset();
    m_stripBuffer.clear();
    m_stripBuffer.shrink_to_fit();
}

// A failed Create or Open: reported through libtiff's handler, kept, and the object closed.
bool CTiffImg::refuse(const char* text, const QString& detail)
{
    TIFFError(QFile::encodeName(m_file->path()).constData(), "%s", text);
    noteFailure(QString::fromLatin1(text), detail);
    Discard();
    return false;
}

void CTiffImg::noteFailure(const QString& what, const QString& detail)
{
    const QString reason = detail.isEmpty() ? m_file->reason() : detail;
    m_errorText = m_file->path() + QStringLiteral(": ") + what;
    if (!reason.isEmpty())
        m_errorText += QStringLiteral(": ") + reason;
}

unsigned long CTiffImg::GetPhoto() const
{
    switch (m_photometric) {
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_RGB:
        return Additive;
    case PHOTOMETRIC_CIELAB:
        return CieLab;
    default:
        return Subtractive;
    }
}
