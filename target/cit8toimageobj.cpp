#include "cit8toimageobj.h"

#include "cit8chartlayout.h"
#include "cit8patchreader.h"
#include "cit8table.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

namespace {

// A colour table takes a few hundred kilobytes; a header that asks for more than
// this is broken or hostile, and is refused rather than allocated.
constexpr int64_t kMaxImageBytes = int64_t(1) << 28;
constexpr int kPatchNameBuffer = 256;

struct ImageGeometry
{
    const CIt8ChartLayout& layout;
    long patchWidth;
    long patchHeight;
    int bytesPerPixel;
    int64_t bytesPerLine;
};

// Copies the pixel into every pixel of the block of patch (row, column); the first
// row of patches lies at the bottom of the image.
void placeBlock(const ImageGeometry& geometry, int row, int column, const unsigned char* pixel, PixelExtend* image)
{
    const int64_t firstLine = geometry.layout.height - (static_cast<int64_t>(row) + 1) * geometry.patchHeight;
    const int64_t firstByte = static_cast<int64_t>(column) * geometry.patchWidth * geometry.bytesPerPixel;
    for (int64_t line = firstLine; line < firstLine + geometry.patchHeight; ++line) {
        PixelExtend* target = image + line * geometry.bytesPerLine + firstByte;
        for (long x = 0; x < geometry.patchWidth; ++x, target += geometry.bytesPerPixel)
            std::memcpy(target, pixel, static_cast<size_t>(geometry.bytesPerPixel));
    }
}

// Reads and places every patch, column by column; returns how many patches were
// read. A patch that cannot be named ends its column; one whose values cannot be
// read stays background in a padded image and ends its column otherwise.
int placePatches(const CIt8Table& table, const CIt8PatchReader& reader, const ImageGeometry& geometry,
                 PixelExtend* image)
{
    const CIt8ChartLayout& layout = geometry.layout;
    std::fill(image, image + geometry.bytesPerLine * layout.height, reader.Background());

    std::vector<unsigned char> pixel(static_cast<size_t>(geometry.bytesPerPixel));
    char name[kPatchNameBuffer];
    int written = 0;
    for (int column = 0; column < layout.patchesPerRow; ++column) {
        for (int row = 0; row < layout.rows; ++row) {
            // The layout keeps rows x patches per row within 32 bits.
            const int set = row * layout.patchesPerRow + column;
            if (!table.GetCellAt(0, set, name, sizeof name))
                break;
            if (reader.Read(set, pixel.data()))
                ++written;
            else if (!layout.padded)
                break;
            placeBlock(geometry, row, column, pixel.data(), image);
        }
    }
    return written;
}

// The target, when it loads and was read whole; otherwise none and the reason.
std::unique_ptr<CIt8Table> loadWholeTarget(const QByteArray& path, QString& errorText)
{
    std::unique_ptr<CIt8Table> table = CIt8Table::Load(path.constData());
    if (!table) {
        const QFileInfo file(QFile::decodeName(path));
        errorText = file.filePath()
            + (file.exists() && !file.isFile() ? QStringLiteral(": not a regular file")
                                               : QStringLiteral(": the file cannot be read or is empty"));
    } else if (!table->IsComplete()) {
        errorText = QFile::decodeName(table->GetReadError());
        table.reset();
    }
    return table;
}

} // namespace

CIt8ToImageObj::CIt8ToImageObj(QString targetPath)
    : m_targetPath(std::move(targetPath))
{
}

CIt8ToImageObj::~CIt8ToImageObj() = default;

long CIt8ToImageObj::ComputeLinearizationChart(long patchWidth, long patchHeight, int patchesPerRow,
                                               int bytesPerPixel)
{
    // The file system's own encoding: Latin-1 where that is the local code page, and
    // still right for names that Latin-1 cannot spell.
    const std::unique_ptr<CIt8Table> table = loadWholeTarget(QFile::encodeName(m_targetPath), m_errorText);
    if (!table)
        return 0;
    CIt8ChartLayout layout;
    if (bytesPerPixel <= 0 || !layout.Compute(*table, patchWidth, patchHeight, patchesPerRow)) {
        m_errorText = QStringLiteral("%1: %2 channels in rows of %3 patches of %4 x %5 pixels cannot be laid out")
                          .arg(m_targetPath)
                          .arg(bytesPerPixel)
                          .arg(patchesPerRow)
                          .arg(patchWidth)
                          .arg(patchHeight);
        return 0;
    }
    const int64_t bytesPerLine = static_cast<int64_t>(bytesPerPixel) * layout.width;
    const int64_t imageSize = bytesPerLine * layout.height;
    std::unique_ptr<PixelExtend[]> image;
    if (bytesPerLine <= kMaxImageBytes && imageSize <= kMaxImageBytes)
        image.reset(new (std::nothrow) PixelExtend[static_cast<size_t>(imageSize)]);
    if (!image) {
        m_errorText = QStringLiteral("%1: an image of %2 x %3 pixels of %4 channels is too large")
                          .arg(m_targetPath)
                          .arg(layout.width)
                          .arg(layout.height)
                          .arg(bytesPerPixel);
        return 0;
    }
    const ImageGeometry geometry{layout, patchWidth, patchHeight, bytesPerPixel, bytesPerLine};
    const CIt8PatchReader reader(*table, bytesPerPixel);
    // A table without a single readable patch would print an empty chart.
    if (placePatches(*table, reader, geometry, image.get()) == 0) {
        m_errorText = QStringLiteral("%1: no patch can be read: each needs a value in %2")
                          .arg(m_targetPath, QString::fromLatin1(reader.RequiredFields().c_str()));
        return 0;
    }
    m_errorText.clear();

    m_targetImage = std::move(image);
    m_bytesPerPixel = bytesPerPixel;
    m_bytesPerLine = static_cast<int32_t>(bytesPerLine);
    m_patchesPerRow = layout.patchesPerRow;
    m_totalPatchCount = layout.totalPatchCount;
    m_targetImageSize = static_cast<int32_t>(imageSize);
    m_setCount = table->GetSetCount();
    m_targetChannelCount = reader.ChannelCount();
    m_inkLetters = QString::fromLatin1(reader.InkLetters().c_str());
    return 1;
}

long CIt8ToImageObj::MeasureOfLinearizationChart(const char* path, long patchWidth, long patchHeight, long& width,
                                                 long& height, int patchesPerRow)
{
    QString unused;
    const std::unique_ptr<CIt8Table> table = loadWholeTarget(path, unused);
    CIt8ChartLayout layout;
    if (!table || !layout.Compute(*table, patchWidth, patchHeight, patchesPerRow))
        return 0;
    width = layout.width;
    height = layout.height;
    return 1;
}
