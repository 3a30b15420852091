// The lumetra executable as a user runs it: each test copies it into a fresh
// folder, since the log file is written beside the executable.
#include "commandline.h"
#include "../support/processoutput.h"

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

    // dataHome: where the user's data folder lies (XDG_DATA_HOME), so that no test writes to the real one.
    int run(const QStringList& arguments, const QString& dataHome = QString())
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome.isEmpty() ? dir.filePath(QStringLiteral("data")) : dataHome);
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(dir.path());
        process.start(executable, arguments);
        if (!process.waitForFinished(60000)) {
            process.kill();
            return -1;
        }
        standardError = withoutSanitizerReport(process.readAllStandardError());
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

TEST_F(LumetraProcess, ALogThatCannotBeWrittenBesideTheExecutableGoesToTheUsersDataFolder)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("lumetralog.txt")));
    const QString data = dir.filePath(QStringLiteral("data"));
    EXPECT_EQ(run({}, data), 1);
    const QString moved = data + QStringLiteral("/lumetra/lumetralog.txt");
    EXPECT_TRUE(standardError.contains("it is written to " + QFile::encodeName(moved))) << standardError.constData();
    QFile log(moved);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll(), CommandLine::usageText().toLatin1());
}

TEST_F(LumetraProcess, WithoutAnyLogTheRunGoesOnAndSaysSo)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("lumetralog.txt")));
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_EQ(run({}, blocker.fileName() + QStringLiteral("/below")), 1);
    EXPECT_TRUE(standardError.contains("Error opening log file"));
    EXPECT_TRUE(standardError.contains("lumetra usage"));
}

TEST_F(LumetraProcess, TheConsoleNamesMissingOptionsAndWhyARunFailed)
{
    QStringList args = thirteen("320");
    args.removeLast();
    EXPECT_EQ(run(args), 1);
    EXPECT_TRUE(standardError.endsWith("lumetra: 12 of 13 option values given; missing: -prnmodel (log: "
                                       + QFile::encodeName(dir.filePath(QStringLiteral("lumetralog.txt"))) + ")\n"))
        << standardError.constData();

    // Every log line reaches the console too, and the last line there says why.
    EXPECT_EQ(run(thirteen("320")), 1);
    const QByteArray target = QFile::encodeName(dir.filePath(QStringLiteral("t.it8")));
    EXPECT_TRUE(standardError.startsWith("accelPath: /nonexistent/sdk\n")) << standardError.constData();
    EXPECT_TRUE(standardError.endsWith("\nlumetra: the target " + target + " does not exist (log: "
                                       + QFile::encodeName(dir.filePath(QStringLiteral("lumetralog.txt"))) + ")\n"))
        << standardError.constData();
    EXPECT_TRUE(log().endsWith("\nlumetra: the target " + target + " does not exist\n"));
}

TEST_F(LumetraProcess, HelpAndVersionGoToStandardOutput)
{
    QProcess process;
    process.start(executable, {"--help"});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(process.readAllStandardOutput(), CommandLine::usageText().toLocal8Bit());
    process.start(executable, {"--version"});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(process.readAllStandardOutput(), QByteArray("lumetra " LUMETRA_VERSION "\n"));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("lumetralog.txt"))));
}

} // namespace
