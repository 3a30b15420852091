// Opens arbitrary bytes as a TIFF file and reads its lines as a chart reader
// would; Open must refuse what it cannot read within its bounds.
#include "ctiffimg.h"

#include <QFile>
#include <QTemporaryDir>

#include <tiffio.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// Enough lines to reach the strips of small files without making tall images slow.
constexpr unsigned long kMaxLines = 256;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // libtiff prints every message of every file; the wrapper keeps what it needs.
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    static const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("input.tif")));
    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file.close();

    CTiffImg image;
    if (image.Open(path.constData())) {
        std::vector<unsigned char> line(image.GetBytesPerLine());
        // A failed line is asked for again, as a caller that ignores the failure would.
        for (unsigned long y = 0, lines = std::min(image.GetHeight(), kMaxLines); y < lines; ++y)
            image.ReadLine(line.data());
    }
    image.GetErrorText();
    image.Close();
    return 0;
}
