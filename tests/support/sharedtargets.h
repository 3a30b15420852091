#ifndef LUMETRA_TESTS_SHAREDTARGETS_H
#define LUMETRA_TESTS_SHAREDTARGETS_H

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QStringList>

// The public target files beside the checkout, which tests read where they are.
// Absolute with its drive, as a Windows path must be to name the same file from
// any working folder.
inline QString sharedTargetsFolder()
{
    return QDir(QStringLiteral(LUMETRA_SHARED_TARGETS)).absolutePath();
}

inline QString sharedTarget(const QString& name)
{
    return QDir(sharedTargetsFolder()).filePath(name);
}

// What a test needs of the shared targets and does not find: the folder, or the
// files it names; empty when everything is there.
inline QString missingSharedTargets(const QStringList& files)
{
    const QDir folder(sharedTargetsFolder());
    if (!folder.exists())
        return QStringLiteral("no shared target files: the folder %1 does not exist").arg(folder.path());
    QStringList missing;
    for (const QString& file : files) {
        if (!QFileInfo(folder.filePath(file)).isFile())
            missing << file;
    }
    if (missing.isEmpty())
        return QString();
    return QStringLiteral("shared target files missing from %1: %2").arg(folder.path(), missing.join(QStringLiteral(", ")));
}

// CI sets this where it finds the folder, so that a test which would skip fails instead.
inline bool sharedTargetsRequired()
{
    return qEnvironmentVariableIsSet("LUMETRA_REQUIRE_SHARED_TARGETS");
}

// Skips the test, saying what is missing, unless every named file is there.
#define SKIP_WITHOUT_SHARED_TARGETS(...)                                                                         \
    do {                                                                                                         \
        const QString missingTargets = missingSharedTargets(QStringList{__VA_ARGS__});                          \
        if (!missingTargets.isEmpty() && sharedTargetsRequired())                                                \
            GTEST_FAIL() << missingTargets.toStdString() << " (LUMETRA_REQUIRE_SHARED_TARGETS is set)";          \
        if (!missingTargets.isEmpty())                                                                           \
            GTEST_SKIP() << missingTargets.toStdString();                                                        \
    } while (false)

#endif
