#ifndef LUMETRA_PNGWRITER_H
#define LUMETRA_PNGWRITER_H

#include <QSaveFile>
#include <QString>

#include <png.h>

#include <cstdint>

// An 8-bit RGB PNG written row by row with libpng into a temporary file beside
// its path, which gets the path's name only when commit() has seen every row,
// the end of the image and the file's flush succeed. A writer destroyed before
// that leaves nothing; an existing path must be a regular file or a link to one.
class PngWriter
{
public:
    explicit PngWriter(const QString& path);
    ~PngWriter();

    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    bool open(uint32_t width, uint32_t height);
    // width x 3 bytes of red, green and blue.
    bool writeRow(const uint8_t* row);
    bool commit();

    // The file, and the first failure of the system or libpng; empty while none.
    QString errorText() const;

private:
    // Keeps the first reason only: the one that caused the rest.
    void note(const QString& reason);
    // Notes the reason and drops libpng's state and the file.
    bool fail(const QString& reason);
    void discardFile();
    void release();

    static void writeData(png_structp png, png_bytep data, size_t size);
    static void flushData(png_structp png);
    [[noreturn]] static void onError(png_structp png, png_const_charp message);
    static void onWarning(png_structp png, png_const_charp message);

    QSaveFile m_file;
    png_structp m_png = nullptr;
    png_infop m_info = nullptr;
    uint32_t m_rowsLeft = 0;
    QString m_failure;
};

#endif
