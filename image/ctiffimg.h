#ifndef LUMETRA_CTIFFIMG_H
#define LUMETRA_CTIFFIMG_H

#include "lumetra_export.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class CTiffFile;

/// Line-oriented TIFF file: written one strip (= one line) at a time, forwards
/// or bottom-up, or read back line by line through a cached strip. A file being
/// written appears under its name only when Close has saved it whole.
class LUMETRA_EXPORT CTiffImg
{
public:
    /// The kinds of colour Create() takes and GetPhoto() reports: RGB or grey,
    /// inks (separated), CIE L*a*b*.
    enum PhotometricKind : unsigned long { Additive = 0, Subtractive = 1, CieLab = 2 };

    /// Open refuses files whose strips, uncompressed, are larger, so that no file
    /// makes it allocate more: 64 MiB holds a 4096 x 4096 CMYK image in one strip
    /// and is far above any chart line. A stored strip must fit in the file too.
    static constexpr unsigned long MaxStripBytes = 64ul << 20;

    CTiffImg();
    /// Drops a file still being written, as Discard does.
    virtual ~CTiffImg();

    CTiffImg(const CTiffImg&) = delete;
    CTiffImg& operator=(const CTiffImg&) = delete;

    /// Writes into a temporary file beside path. An existing path must be a
    /// regular file or a link to one (the link stays, its target is replaced).
    bool Create(const char* path, unsigned long width, unsigned long height, unsigned long bitsPerSample,
                unsigned long photometricKind, unsigned long samplesPerPixel, float xRes, float yRes,
                bool compress);
    /// Opens the TIFF file at @p path for reading; false with GetErrorText() saying why.
    bool Open(const char* path);

    /// A line outside the image is refused and nothing is written; the file
    /// can still be saved.
    bool WriteLine(unsigned char* line);
    /// Writes the next line from the bottom up; see SetToEnd().
    bool WriteLineBack(unsigned char* line);
    /// Starts writing from the last line, for WriteLineBack().
    void SetToEnd();
    /// Reads the next line into @p line, GetBytesPerLine() bytes; false past the last line.
    bool ReadLine(unsigned char* line);
    /// A file being written is saved under its name: false when that or any
    /// write before failed, and then no file is left. True when reading or
    /// when nothing is open.
    bool Close();
    /// Closes without saving: a file being written leaves nothing behind.
    void Discard();
    /// Why the last operation that failed did: the file, what failed, and the
    /// system's and libtiff's reasons when they gave one.
    QString GetErrorText() const { return m_errorText; }

    /// @name The image
    /// Width and height in pixels, bits per sample, samples per pixel, bytes per
    /// line, resolutions in pixels per inch and the PhotometricKind.
    ///@{

    /// Width in pixels.
    unsigned long GetWidth() const { return m_width; }
    unsigned long GetHeight() const { return m_height; }
    unsigned long GetBitsPerSample() const { return m_bitsPerSample; }
    unsigned long GetSamples() const { return m_samplesPerPixel; }
    unsigned long GetBytesPerLine() const { return m_bytesPerLine; }
    float GetXRes() const { return m_xRes; }
    float GetYRes() const { return m_yRes; }
    unsigned long GetPhoto() const;
    ///@}

private:
    enum Mode : uint8_t { Writing = 0, Reading = 1 };

    bool writeStrip(unsigned char* line, int32_t step);
    bool refuse(const char* text, const QString& detail = QString());
    void noteFailure(const QString& what, const QString& detail = QString());

    std::unique_ptr<CTiffFile> m_file;
    uint8_t m_mode = Writing;
    uint32_t m_width = 0;
    uint32_t m_height = 0;
    uint16_t m_bitsPerSample = 0;
    uint16_t m_photometric = 0;
    uint16_t m_samplesPerPixel = 0;
    float m_xRes = 0.0f;
    float m_yRes = 0.0f;
    uint32_t m_bytesPerLine = 0;
    uint32_t m_rowsPerStrip = 0;
    uint32_t m_stripSize = 0;
    std::vector<unsigned char> m_stripBuffer;
    uint32_t m_lineCounter = 0;
    int32_t m_currentLine = 0;
    QString m_errorText;
};

#endif
