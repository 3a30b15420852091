// A host may include <windows.h> before the SDK's header; its macros must not rename table members.
#ifdef _WIN32
#include <windows.h>
#endif

#include "csdklibrary.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

TEST(CSdkLibrary, LibraryPathIsTheFolderAndThePlatformsFileName)
{
#ifdef _WIN32
    EXPECT_EQ(CSdkLibrary::libraryPath(QStringLiteral("C:/sdk")), QStringLiteral("C:\\sdk\\ACCEL.dll"));
#else
    EXPECT_EQ(CSdkLibrary::libraryPath(QStringLiteral("/opt/sdk")), QStringLiteral("/opt/sdk/libACCEL.so"));
#endif
}

TEST(CSdkLibrary, LoadsTheSimulatorAndFindsItsEntryPoint)
{
    CSdkLibrary library;
    ASSERT_TRUE(library.load(CSdkLibrary::libraryPath(QStringLiteral(ACCEL_SIM_DIR))))
        << library.errorText().toStdString();
    EXPECT_TRUE(library.isLoaded());
    EXPECT_NE(library.module(), nullptr);
    const AccelLoadFunction load = library.loadFunction();
    ASSERT_NE(load, nullptr);
    _AccelStruct accel;
    EXPECT_EQ(load(library.module(), &accel.functions, AccelFunctionTableSize), 0u);
    EXPECT_NE(accel.functions.Initialize, nullptr);
    EXPECT_NE(accel.functions.SetPrinterFn, nullptr);
    EXPECT_NE(accel.functions.StartDocFn, nullptr);
    EXPECT_NE(accel.functions.unused36[7], nullptr);
    // The binding's own state lies behind the table and is left alone.
    EXPECT_EQ(accel.mHandle, nullptr);
    EXPECT_EQ(accel.mEndFlag.load(), 0);
    library.unload();
    EXPECT_FALSE(library.isLoaded());
    EXPECT_EQ(library.loadFunction(), nullptr);
}

struct FailingLoad
{
    const char* name;
    QString path;
};

TEST(CSdkLibrary, FailsWithAnErrorTextWhenNothingLoadable)
{
    QTemporaryDir empty;
    const FailingLoad cases[] = {
        {"missing file", CSdkLibrary::libraryPath(empty.path())},
        {"empty path", QString()},
        {"path longer than 255 characters", QStringLiteral("/") + QString(255, QLatin1Char('a'))},
    };
    for (const FailingLoad& c : cases) {
        CSdkLibrary library;
        EXPECT_FALSE(library.load(c.path)) << c.name;
        EXPECT_FALSE(library.isLoaded()) << c.name;
        EXPECT_FALSE(library.errorText().isEmpty()) << c.name;
    }
}

class CSdkLibraryPathLength : public ::testing::TestWithParam<int>
{
};

// The loader takes paths up to the wide-character buffer's 255 characters, and not one more.
TEST_P(CSdkLibraryPathLength, LoadsUpToTheLongestPath)
{
    const int length = GetParam();
    QTemporaryDir work;
    // Nested folders, each within the file system's limit for a name, make the path exactly this long.
    QString folder = work.path();
    const int fileName = CSdkLibrary::libraryPath(QStringLiteral("/")).size() - 1;
    for (int rest = length - fileName - folder.size(); rest > 1; rest = length - fileName - folder.size())
        folder += QLatin1Char('/') + QString(rest <= 101 ? rest - 1 : qMin(100, rest - 3), QLatin1Char('d'));
    const QString path = CSdkLibrary::libraryPath(folder);
    ASSERT_EQ(path.size(), length) << path.toStdString();
    ASSERT_TRUE(QDir().mkpath(folder));
    // A copy, as Windows has no symbolic links a user may make.
    ASSERT_TRUE(QFile::copy(CSdkLibrary::libraryPath(QStringLiteral(ACCEL_SIM_DIR)), path));

    CSdkLibrary library;
    const bool loads = length <= 255;
    EXPECT_EQ(library.load(path), loads) << library.errorText().toStdString();
    EXPECT_EQ(library.isLoaded(), loads);
    if (!loads) {
        EXPECT_EQ(library.errorText(), QStringLiteral("library path empty or longer than 255 characters"));
    }
}

INSTANTIATE_TEST_SUITE_P(Characters, CSdkLibraryPathLength, ::testing::Values(254, 255, 256));

TEST(CSdkLibrary, ALibraryWithoutTheEntryPointYieldsNoLoadFunction)
{
    CSdkLibrary library;
    ASSERT_TRUE(library.load(QStringLiteral(LUMETRA_DRIVER_FILE)));
    EXPECT_EQ(library.loadFunction(), nullptr);
    EXPECT_FALSE(library.errorText().isEmpty());
}

TEST(CSdkLibrary, TellsTheLibraryFileFromItsFolder)
{
    const QString library = CSdkLibrary::libraryPath(QStringLiteral(ACCEL_SIM_DIR));
    QTemporaryDir work;
    const QDir dir(work.path());
    // A folder of the library's name is no library file.
    ASSERT_TRUE(dir.mkpath(QFileInfo(library).fileName()));
    QFile other(dir.filePath(QStringLiteral("libaccel.so.txt")));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.close();
    const struct
    {
        QString path;
        bool isLibrary;
    } cases[] = {
        {library, true},
        {QStringLiteral(ACCEL_SIM_DIR), false},
        {dir.filePath(QFileInfo(library).fileName()), false},
        {other.fileName(), false},
        {CSdkLibrary::libraryPath(work.path() + QStringLiteral("/missing")), false},
        {QString(), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CSdkLibrary::isLibraryFile(c.path), c.isLibrary) << c.path.toStdString();
}

TEST(CSdkLibrary, SocketsStartAndStopInPairs)
{
    EXPECT_EQ(CSdkLibrary::startSockets(), 0);
    CSdkLibrary::stopSockets();
}

} // namespace
