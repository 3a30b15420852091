#ifndef LUMETRA_CTIFFIMG_H
#define LUMETRA_CTIFFIMG_H

#include "lumetra_export.h"

#include <cstdint>
#include <vector>

typedef struct tiff TIFF;

// Line-oriented TIFF file: written one strip (= one line) at a time, forwards
// or bottom-up, or read back line by line through a cached strip.
class LUMETRA_EXPORT CTiffImg
{
public:
    enum PhotometricKind : unsigned long { Additive = 0, Subtractive = 1, CieLab = 2 };

    CTiffImg();
    virtual ~CTiffImg();

    CTiffImg(const CTiffImg&) = delete;
    CTiffImg& operator=(const CTiffImg&) = delete;

    bool Create(const char* path, unsigned long width, unsigned long height, unsigned long bitsPerSample,
                unsigned long photometricKind, unsigned long samplesPerPixel, float xRes, float yRes,
                bool compress);
    bool Open(const char* path);

    bool WriteLine(unsigned char* line);
    bool WriteLineBack(unsigned char* line);
    void SetToEnd();
    bool ReadLine(unsigned char* line);
    void Close();

    unsigned long GetWidth() const { return m_width; }
    unsigned long GetHeight() const { return m_height; }
    unsigned long GetBitsPerSample() const { return m_bitsPerSample; }
    unsigned long GetSamples() const { return m_samplesPerPixel; }
    unsigned long GetBytesPerLine() const { return m_bytesPerLine; }
    float GetXRes() const { return m_xRes; }
    float GetYRes() const { return m_yRes; }
    unsigned long GetPhoto() const;

private:
    enum Mode : uint8_t { Writing = 0, Reading = 1 };

    TIFF* m_tiff = nullptr;
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
};

#endif
