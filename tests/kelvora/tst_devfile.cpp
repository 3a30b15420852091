#include <kelvora/devfile.h>

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

TEST(DevFile, WritesExactlyTheBytesGiven)
{
    const QByteArray payloads[] = { QByteArray(), QByteArray("\x00\x01\xff\n\r", 5), QByteArray(70000, 'x') };
    for (const QByteArray& data : payloads) {
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString path = dir.filePath("meas_run_0.tmp");
        QString error;
        ASSERT_TRUE(DevFile::createDataMeasureFile("target.it8", data, path, &error)) << error.toStdString();
        EXPECT_EQ(readAll(path), data);
        EXPECT_EQ(entriesOf(dir.path()), QStringList{ "meas_run_0.tmp" }) << "no temporary file left behind";
    }
}

TEST(DevFile, ReplacesAnExistingFileWhole)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("meas.tmp");
    ASSERT_TRUE(DevFile::createDataMeasureFile("t.it8", QByteArray(100, 'a'), path));
    ASSERT_TRUE(DevFile::createDataMeasureFile("t.it8", "bb", path));
    EXPECT_EQ(readAll(path), QByteArray("bb"));
}

TEST(DevFile, FailsWithoutLeavingAFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const struct
    {
        const char* name;
        QString it8Path;
        QString filePath;
    } cases[] = {
        { "no IT8 path", QString(), dir.filePath("a.tmp") },
        { "no file path", "t.it8", QString() },
        { "missing folder", "t.it8", dir.filePath("missing/a.tmp") },
        { "target is a folder", "t.it8", dir.path() },
    };
    for (const auto& c : cases) {
        QString error;
        EXPECT_FALSE(DevFile::createDataMeasureFile(c.it8Path, "data", c.filePath, &error)) << c.name;
        EXPECT_FALSE(error.isEmpty()) << c.name;
        EXPECT_TRUE(entriesOf(dir.path()).isEmpty()) << c.name;
    }
}

TEST(DevFile, FailsInAReadOnlyFolder)
{
#ifdef _WIN32
    GTEST_SKIP() << "a folder's read-only attribute does not stop writing into it on Windows";
#else
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    EXPECT_FALSE(DevFile::createDataMeasureFile("t.it8", "data", dir.filePath("a.tmp")));
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_TRUE(entriesOf(dir.path()).isEmpty());
#endif
}

} // namespace
