#ifndef LUMETRA_CIT8TOIMAGEOBJ_H
#define LUMETRA_CIT8TOIMAGEOBJ_H

#include "lumetra_export.h"

#include <QString>

#include <cstdint>
#include <memory>

/// The element type of a target image; the image is read as plain bytes.
typedef unsigned char PixelExtend;

/// Turns a target file into a target image: every patch a block of identical pixels
/// with one byte per ink channel, rows of patches stored from the bottom line up.
/// With blocks of one pixel the image is the colour table of a chart.
class LUMETRA_EXPORT CIt8ToImageObj
{
public:
    /// A target image of the IT8/CGATS file at @p targetPath; nothing is read yet.
    explicit CIt8ToImageObj(QString targetPath);
    ~CIt8ToImageObj();
    CIt8ToImageObj(const CIt8ToImageObj&) = delete;
    CIt8ToImageObj& operator=(const CIt8ToImageObj&) = delete;

    /// The image of the last successful computation, or null.
    const PixelExtend* GetTargetImage() const { return m_targetImage.get(); }
    /// The image's size in bytes.
    int GetTargetImageSize() const { return m_targetImageSize; }
    /// The patches of every row, the padding of the last row included.
    int GetTotalPatchCount() const { return m_totalPatchCount; }
    /// Patches per row, as given or as the target's LGOROWLENGTH gave them.
    int GetPatchCountPerRow() const { return m_patchesPerRow; }
    /// The target's own sets and the channels its ink model or fields provide (0
    /// when every patch names its model), as the last successful computation read them.
    int GetSetCount() const { return m_setCount; }
    /// See GetSetCount().
    int GetTargetChannelCount() const { return m_targetChannelCount; }
    /// The ink of each of those channels by letter: C M Y K, c m k n (light cyan,
    /// magenta, black, light light black), R G B O, x for one that no ink model
    /// names (every \<n\>CLR field); a model named by ChannellID only is the first
    /// patch's. Empty for the RGB model.
    QString GetInkLetters() const { return m_inkLetters; }

    /// Computes the image: patch blocks of patchWidth x patchHeight pixels, rows of
    /// patchesPerRow patches (negative: from "LGOROWLENGTH"), bytesPerPixel channels.
    /// Each patch takes the values of its own set. 1 on success; 0, with the image
    /// and counts unchanged and GetErrorText saying why, when the target cannot be
    /// read, was not read whole, cannot be laid out, or holds
    /// no readable patch at all.
    long ComputeLinearizationChart(long patchWidth, long patchHeight, int patchesPerRow, int bytesPerPixel);
    /// Why the last computation failed, naming the file; empty after a success.
    QString GetErrorText() const { return m_errorText; }

    /// The pixel size the computation would give, without computing it; 1 or 0 (also
    /// for a target that was not read whole).
    static long MeasureOfLinearizationChart(const char* path, long patchWidth, long patchHeight, long& width,
                                            long& height, int patchesPerRow);

private:
    QString m_targetPath;
    std::unique_ptr<PixelExtend[]> m_targetImage;
    int32_t m_bytesPerPixel = 0;
    int32_t m_bytesPerLine = 0;
    int32_t m_patchesPerRow = 0;
    int32_t m_totalPatchCount = 0;
    int32_t m_targetImageSize = 0;
    int32_t m_setCount = 0;
    int32_t m_targetChannelCount = 0;
    QString m_inkLetters;
    QString m_errorText;
};

#endif
