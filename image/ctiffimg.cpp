#include "ctiffimg.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

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

} // namespace

CTiffImg::CTiffImg() = default;

CTiffImg::~CTiffImg()
{
    Close();
}

bool CTiffImg::Create(const char* path, unsigned long width, unsigned long height, unsigned long bitsPerSample,
                      unsigned long photometricKind, unsigned long samplesPerPixel, float xRes, float yRes,
                      bool compress)
{
    Close();

    // The TIFF fields are 32-bit (sizes) and 16-bit (samples, bits); anything wider cannot be stored.
    if (width > UINT32_MAX || height > UINT32_MAX || bitsPerSample > UINT16_MAX || samplesPerPixel > UINT16_MAX
        || height > static_cast<unsigned long>(INT32_MAX)) {
        TIFFError(path, "Can not open output image");
        return false;
    }

    m_width = static_cast<uint32_t>(width);
    m_height = static_cast<uint32_t>(height);
    m_bitsPerSample = static_cast<uint16_t>(bitsPerSample);
    m_samplesPerPixel = static_cast<uint16_t>(samplesPerPixel);
    m_mode = Writing;
    m_photometric = photometricFor(photometricKind, samplesPerPixel);

    m_tiff = TIFFOpen(path, "w");
    if (!m_tiff) {
        TIFFError(path, "Can not open output image");
        Close();
        return false;
    }

    TIFFSetField(m_tiff, TIFFTAG_IMAGEWIDTH, m_width);
    TIFFSetField(m_tiff, TIFFTAG_IMAGELENGTH, m_height);
    TIFFSetField(m_tiff, TIFFTAG_PHOTOMETRIC, m_photometric);
    TIFFSetField(m_tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(m_tiff, TIFFTAG_SAMPLESPERPIXEL, m_samplesPerPixel);
    TIFFSetField(m_tiff, TIFFTAG_BITSPERSAMPLE, m_bitsPerSample);
    TIFFSetField(m_tiff, TIFFTAG_ROWSPERSTRIP, 1u);
    TIFFSetField(m_tiff, TIFFTAG_COMPRESSION, compress ? COMPRESSION_LZW : COMPRESSION_NONE);
    TIFFSetField(m_tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(m_tiff, TIFFTAG_XRESOLUTION, static_cast<double>(xRes));
    TIFFSetField(m_tiff, TIFFTAG_YRESOLUTION, static_cast<double>(yRes));

    m_lineCounter = 0;
    m_currentLine = 0;
    const tmsize_t stripSize = TIFFStripSize(m_tiff);
    if (stripSize <= 0 || stripSize > static_cast<tmsize_t>(UINT32_MAX)) {
        TIFFError(path, "Can not open output image");
        Close();
        return false;
    }
    m_bytesPerLine = static_cast<uint32_t>(stripSize);
    return true;
}

bool CTiffImg::Open(const char* path)
{
    Close();
    m_mode = Reading;

    m_tiff = TIFFOpen(path, "r");
    if (!m_tiff) {
        TIFFError(path, "Can not open input image");
        Close();
        return false;
    }

    uint16_t planar = PLANARCONFIG_CONTIG;
    uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetField(m_tiff, TIFFTAG_IMAGEWIDTH, &m_width);
    TIFFGetField(m_tiff, TIFFTAG_IMAGELENGTH, &m_height);
    TIFFGetField(m_tiff, TIFFTAG_PHOTOMETRIC, &m_photometric);
    TIFFGetField(m_tiff, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetField(m_tiff, TIFFTAG_SAMPLESPERPIXEL, &m_samplesPerPixel);
    TIFFGetField(m_tiff, TIFFTAG_BITSPERSAMPLE, &m_bitsPerSample);
    TIFFGetField(m_tiff, TIFFTAG_ROWSPERSTRIP, &m_rowsPerStrip);
    TIFFGetField(m_tiff, TIFFTAG_ORIENTATION, &orientation);
    TIFFGetField(m_tiff, TIFFTAG_XRESOLUTION, &m_xRes);
    TIFFGetField(m_tiff, TIFFTAG_YRESOLUTION, &m_yRes);

    if ((m_samplesPerPixel > 1 && planar != PLANARCONFIG_CONTIG) || orientation != ORIENTATION_TOPLEFT) {
        Close();
        return false;
    }

    m_currentLine = -1;
    m_lineCounter = 0;
    const tmsize_t stripSize = TIFFStripSize(m_tiff);
    // Bytes per line in 64 bits: samples (16) x bits (16) x width (32) cannot overflow there.
    const uint64_t bytesPerLine = (uint64_t(m_samplesPerPixel) * m_bitsPerSample * m_width + 7) / 8;
    if (stripSize <= 0 || stripSize > static_cast<tmsize_t>(UINT32_MAX) || bytesPerLine > UINT32_MAX
        || m_rowsPerStrip == 0) {
        Close();
        return false;
    }
    m_stripSize = static_cast<uint32_t>(stripSize);
    m_bytesPerLine = static_cast<uint32_t>(bytesPerLine);
    // A strip must hold all its lines, else ReadLine would copy past the buffer.
    if (uint64_t(m_bytesPerLine) * std::min<uint64_t>(m_rowsPerStrip, m_height) > m_stripSize) {
        Close();
        return false;
    }
    try {
        m_stripBuffer.assign(m_stripSize, 0);
    } catch (const std::bad_alloc&) {
        Close();
        return false;
    }
    return true;
}

bool CTiffImg::WriteLine(unsigned char* line)
{
    if (!m_tiff || m_mode != Writing)
        return false;
    if (static_cast<uint32_t>(m_currentLine) < m_height) {
        if (TIFFWriteEncodedStrip(m_tiff, static_cast<uint32_t>(m_currentLine), line, m_bytesPerLine) < 0)
            return false;
        ++m_currentLine;
    }
    return true;
}

bool CTiffImg::WriteLineBack(unsigned char* line)
{
    if (!m_tiff || m_mode != Writing || m_currentLine < 0)
        return false;
    if (TIFFWriteEncodedStrip(m_tiff, static_cast<uint32_t>(m_currentLine), line, m_bytesPerLine) < 0)
        return false;
    --m_currentLine;
    return true;
}

void CTiffImg::SetToEnd()
{
    m_currentLine = static_cast<int32_t>(m_height) - 1;
}

bool CTiffImg::ReadLine(unsigned char* line)
{
    if (!m_tiff || m_mode != Reading || m_lineCounter >= m_height)
        return false;
    const uint32_t strip = m_lineCounter / m_rowsPerStrip;
    if (static_cast<int64_t>(strip) != m_currentLine) {
        m_currentLine = static_cast<int32_t>(strip);
        if (TIFFReadEncodedStrip(m_tiff, strip, m_stripBuffer.data(), m_stripSize) < 0)
            return false;
    }
    std::memcpy(line, m_stripBuffer.data() + size_t(m_lineCounter % m_rowsPerStrip) * m_bytesPerLine,
                m_bytesPerLine);
    ++m_lineCounter;
    return true;
}

void CTiffImg::Close()
{
    m_width = 0;
    m_height = 0;
    m_bitsPerSample = 0;
    m_samplesPerPixel = 0;
    if (m_tiff) {
        TIFFClose(m_tiff);
        m_tiff = nullptr;
    }
    m_stripBuffer.clear();
    m_stripBuffer.shrink_to_fit();
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
