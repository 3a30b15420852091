// The lumetra executable as a user runs it: each test copies it into a fresh
// folder, since the log file is written beside the executable.
#include "commandline.h"
#include "../support/processoutput.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

class LumetraProcess : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        // Under its own name: Windows starts only a file with its extension.
        executable = dir.filePath(QFileInfo(QStringLiteral(LUMETRA_EXECUTABLE)).fileName());
        ASSERT_TRUE(QFile::copy(QStringLiteral(LUMETRA_EXECUTABLE), executable));
    }

    // The folder below which lumetra keeps its log when the executable's folder is not
    // writable: here XDG_DATA_HOME of the child, a folder of the test's own, so that no
    // test writes to the real one. Windows has no variable that moves it, so there it is
    // the user's real local application data folder, shared by the tests that use it.
    QString dataHome() const
    {
#ifdef _WIN32
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
#else
        return dir.filePath(QStringLiteral("data"));
#endif
    }

    // Where the log goes when the executable's folder is not writable.
    QString movedLog() const { return dataHome() + QStringLiteral("/lumetra/lumetralog.txt"); }

    int run(const QStringList& arguments)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome());
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

// The user's data folder, held by one test at a time (on Windows it is the real one),
// and left as it was found.
class UserDataFolder
{
public:
    explicit UserDataFolder(const QString& movedLog)
        : m_log(movedLog)
        , m_lock(QFileInfo(movedLog).absolutePath() + QStringLiteral(".test-lock"))
    {
        QDir().mkpath(QFileInfo(movedLog).absolutePath());
        m_locked = m_lock.tryLock(60000);
        removeLog();
    }
    ~UserDataFolder() { removeLog(); }

    bool isLocked() const { return m_locked; }
    // A folder under the log's name: the log cannot be opened there either.
    bool block() { return QDir().mkpath(m_log); }

private:
    void removeLog()
    {
        QFile::remove(m_log);
        QDir().rmdir(m_log);
    }

    QString m_log;
    QLockFile m_lock;
    bool m_locked = false;
};

TEST_F(LumetraProcess, ALogThatCannotBeWrittenBesideTheExecutableGoesToTheUsersDataFolder)
{
    UserDataFolder data(movedLog());
    ASSERT_TRUE(data.isLocked());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("lumetralog.txt")));
    EXPECT_EQ(run({}), 1);
    EXPECT_TRUE(standardError.contains("it is written to " + QFile::encodeName(QDir::toNativeSeparators(movedLog()))))
        << standardError.constData();
    QFile log(movedLog());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll(), CommandLine::usageText().toLatin1());
}

TEST_F(LumetraProcess, WithoutAnyLogTheRunGoesOnAndSaysSo)
{
    UserDataFolder data(movedLog());
    ASSERT_TRUE(data.isLocked());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("lumetralog.txt")));
    ASSERT_TRUE(data.block());
    EXPECT_EQ(run({}), 1);
    // Once each: on Windows the debug channel itself would not reach standard error.
    EXPECT_EQ(standardError.count("Error opening log file"), 1) << standardError.constData();
    EXPECT_EQ(standardError.count("lumetra usage"), 1) << standardError.constData();
}

TEST_F(LumetraProcess, TheConsoleNamesMissingOptionsAndWhyARunFailed)
{
    QStringList args = thirteen("320");
    args.removeLast();
    EXPECT_EQ(run(args), 1);
    EXPECT_TRUE(standardError.endsWith("lumetra: 12 of 13 option values given; missing: -prnmodel (log: "
                                       + QFile::encodeName(QDir::toNativeSeparators(dir.filePath(QStringLiteral("lumetralog.txt")))) + ")\n"))
        << standardError.constData();

    // Every log line reaches the console too, and the last line there says why.
    EXPECT_EQ(run(thirteen("320")), 1);
    const QByteArray target = QFile::encodeName(dir.filePath(QStringLiteral("t.it8")));
    EXPECT_TRUE(standardError.startsWith("accelPath: /nonexistent/sdk\n")) << standardError.constData();
    EXPECT_TRUE(standardError.endsWith("\nlumetra: the target " + target + " does not exist (log: "
                                       + QFile::encodeName(QDir::toNativeSeparators(dir.filePath(QStringLiteral("lumetralog.txt")))) + ")\n"))
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
