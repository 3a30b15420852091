// The lumetra executable as a user runs it: each test copies it into a fresh
// folder, since the log file is written beside the executable.
#include "commandline.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

class LumetraProcess : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        executable = dir.filePath(QStringLiteral("lumetra"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(LUMETRA_EXECUTABLE), executable));
    }

    int run(const QStringList& arguments)
    {
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(executable, arguments);
        if (!process.waitForFinished(60000)) {
            process.kill();
            return -1;
        }
        standardError = process.readAllStandardError();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    }

    QByteArray log() const
    {
        QFile f(dir.filePath(QStringLiteral("lumetralog.txt")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<no log>");
    }

    static QStringList thirteen(const char* paperSizeX)
    {
        return {"-accellpath", "/nonexistent/sdk", "-it8", "t.it8", "-tiffoutput", "out.tif", "-patchperrow", "10",
                "-patchsizex", "8", "-patchsizey", "6", "-papersizex", paperSizeX, "-papersizey", "450",
                "-numcolor", "4", "-numpatch", "40", "-prnconntype", "3", "-prnaddr", "127.0.0.1", "-prnmodel",
                "ILS30EP"};
    }

    QTemporaryDir dir;
    QString executable;
    QByteArray standardError;
};

TEST_F(LumetraProcess, NoArgumentsLeavesExactlyTheUsageText)
{
    EXPECT_EQ(run({}), 1);
    const QByteArray usage = CommandLine::usageText().toLatin1();
    EXPECT_EQ(log(), usage);
    EXPECT_EQ(standardError.count("lumetra usage"), 1);
}

TEST_F(LumetraProcess, TooFewOptionsPrintUsage)
{
    QStringList args = thirteen("320");
    args.removeLast();  // -prnmodel without value: not counted
    EXPECT_EQ(run(args), 1);
    EXPECT_EQ(log(), CommandLine::usageText().toLatin1());
}

TEST_F(LumetraProcess, EveryStartTruncatesTheLog)
{
    EXPECT_EQ(run(thirteen("-1")), 1);
    EXPECT_TRUE(log().startsWith("accelPath: /nonexistent/sdk\n"));
    EXPECT_TRUE(log().contains("\npagesizex: 4294967295\n"));
    EXPECT_EQ(run({}), 1);
    EXPECT_EQ(log(), CommandLine::usageText().toLatin1());
}

TEST_F(LumetraProcess, UnwritableLogIsReportedAndTheRunGoesOn)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("lumetralog.txt")));
    EXPECT_EQ(run({}), 1);
    EXPECT_TRUE(standardError.contains("Error opening log file"));
    EXPECT_TRUE(standardError.contains("lumetra usage"));
}

} // namespace
