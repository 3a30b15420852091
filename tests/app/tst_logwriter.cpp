#include "logwriter.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

TEST(LogWriter, WritesEveryControlCharacterOutSoNoValueStartsALine)
{
    const std::pair<QString, QByteArray> cases[] = {
        {QStringLiteral("plain text"), "plain text\n"},
        {QStringLiteral("127.0.0.1\nfinished"), "127.0.0.1\\nfinished\n"},
        {QStringLiteral("a\r\nb\tc"), "a\\x0D\\nb\\x09c\n"},
        {QString(QChar(0x7F)) + QChar(0x85) + QChar(0xA0) + QChar(0xE9), "\\x7F\\x85\xa0\xe9\n"},
        {QStringLiteral("back\\slash"), "back\\slash\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first.toStdString());
        QBuffer log;
        log.open(QIODevice::WriteOnly);
        writeLogLine(&log, c.first);
        EXPECT_EQ(log.data(), c.second);
    }
}

TEST(LogWriter, NamesBytesThatAreNoText)
{
    EXPECT_EQ(escapedBytes("c\xe9.tif"), QStringLiteral("c\\xE9.tif"));
    EXPECT_EQ(escapedBytes("a\\b\n"), QStringLiteral("a\\x5Cb\\x0A"));
}

TEST(LogWriter, EachLineIsInTheFileBeforeTheNextIsWritten)
{
    QTemporaryDir dir;
    QFile log(dir.filePath(QStringLiteral("lumetralog.txt")));
    ASSERT_TRUE(log.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QByteArray written;
    for (const char* line : {"accelPath: /sdk", "ACCEL: Initialize error", "finished"}) {
        writeLogLine(&log, QString::fromLatin1(line));
        written += QByteArray(line) + '\n';
        // Read as anyone would read it after a crash: nothing may wait in the writer's buffer.
        QFile reader(log.fileName());
        ASSERT_TRUE(reader.open(QIODevice::ReadOnly));
        EXPECT_EQ(reader.readAll(), written);
    }
}
