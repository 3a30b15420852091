#include "filesizelimit.h"
#include "pngpicture.h"
#include "pngwriter.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <random>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

class PngWriterTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(work.isValid()); }

    QStringList files() const { return QDir(work.path()).entryList(QDir::Files | QDir::System); }

    // A row of noise, which compression cannot shrink.
    static std::vector<uint8_t> noise(int width, unsigned seed)
    {
        std::mt19937 random(seed);
        std::vector<uint8_t> row(size_t(width) * 3);
        for (uint8_t& byte : row)
            byte = uint8_t(random());
        return row;
    }

    QTemporaryDir work;
};

TEST_F(PngWriterTest, WritesAnRgbImageThatLibpngReadsBack)
{
    const QString path = work.filePath(QStringLiteral("out.png"));
    const std::vector<uint8_t> rows[] = {{255, 0, 0, 0, 255, 0, 0, 0, 255}, {1, 2, 3, 4, 5, 6, 7, 8, 9}};
    {
        PngWriter png(path);
        ASSERT_TRUE(png.open(3, 2)) << png.errorText().toStdString();
        for (const auto& row : rows)
            ASSERT_TRUE(png.writeRow(row.data()));
        ASSERT_TRUE(png.commit()) << png.errorText().toStdString();
        EXPECT_TRUE(png.errorText().isEmpty());
    }
    PngPicture picture;
    ASSERT_TRUE(picture.read(path));
    EXPECT_EQ(picture.width, 3);
    EXPECT_EQ(picture.height, 2);
    EXPECT_EQ(picture.at(2, 0), (Rgb{0, 0, 255}));
    EXPECT_EQ(picture.at(1, 1), (Rgb{4, 5, 6}));
}

TEST_F(PngWriterTest, NothingAppearsUnderTheNameUntilTheImageIsWhole)
{
    const QString path = work.filePath(QStringLiteral("out.png"));
    const std::vector<uint8_t> row(6, 128);
    {
        PngWriter png(path);
        ASSERT_TRUE(png.open(2, 2));
        ASSERT_TRUE(png.writeRow(row.data()));
        EXPECT_TRUE(files().isEmpty() || !files().contains(QStringLiteral("out.png")));
    }
    EXPECT_TRUE(files().isEmpty()) << files().join(' ').toStdString();

    PngWriter shortOfRows(path);
    ASSERT_TRUE(shortOfRows.open(2, 2));
    ASSERT_TRUE(shortOfRows.writeRow(row.data()));
    EXPECT_FALSE(shortOfRows.commit());
    EXPECT_TRUE(shortOfRows.errorText().contains(QStringLiteral("1 rows of the image were not written")))
        << shortOfRows.errorText().toStdString();
    EXPECT_FALSE(shortOfRows.writeRow(row.data()));
    EXPECT_TRUE(files().isEmpty()) << files().join(' ').toStdString();
}

TEST_F(PngWriterTest, RefusesWhatItCannotWriteAndSaysWhy)
{
    std::vector<std::pair<QString, const char*>> cases = {
        {work.filePath(QStringLiteral("absent/out.png")), "out.png: "},
    };
#ifndef _WIN32
    const QByteArray fifo = QFile::encodeName(work.filePath(QStringLiteral("fifo.png")));
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    cases.emplace_back(work.filePath(QStringLiteral("fifo.png")), "fifo.png: not a regular file");
#endif
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first.toStdString());
        PngWriter png(c.first);
        EXPECT_FALSE(png.open(1, 1));
        EXPECT_TRUE(png.errorText().contains(QLatin1String(c.second))) << png.errorText().toStdString();
    }
#ifndef _WIN32
    struct stat status = {};
    ASSERT_EQ(lstat(fifo.constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
#endif
}

TEST_F(PngWriterTest, AWriteTheSystemRefusesFailsTheImageAndKeepsTheOldFile)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no file-size limit to fail a write with";
#else
    const QString path = work.filePath(QStringLiteral("out.png"));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an older picture");
    old.close();

    bool written = true;
    QString reason;
    {
        const FileSizeLimit limit(16 * 1024);
        ASSERT_TRUE(limit.active());
        PngWriter png(path);
        written = png.open(256, 256);
        for (unsigned y = 0; written && y < 256; ++y)
            written = png.writeRow(noise(256, y).data());
        written = written && png.commit();
        reason = png.errorText();
    }
    EXPECT_FALSE(written);
    EXPECT_TRUE(reason.contains(QStringLiteral("File too large"))) << reason.toStdString();
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("an older picture"));
    EXPECT_EQ(files(), QStringList({"out.png"}));
#endif
}

} // namespace
