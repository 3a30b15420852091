#include <kelvora/devfile.h>

#include <QSaveFile>

namespace {

bool fail(QString* errorText, const QString& text)
{
    if (errorText)
        *errorText = text;
    return false;
}

} // namespace

bool DevFile::createDataMeasureFile(const QString& it8Path, const QByteArray& data, const QString& filePath,
                                    QString* errorText)
{
    if (it8Path.isEmpty())
        return fail(errorText, QStringLiteral("no IT8 file for the measurement data"));
    if (filePath.isEmpty())
        return fail(errorText, QStringLiteral("no path for the measurement data file"));

    // QSaveFile writes to a temporary file in the target's folder and renames
    // it on commit; on any failure the temporary file is removed.
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly))
        return fail(errorText, QStringLiteral("cannot create %1: %2").arg(filePath, file.errorString()));
    if (file.write(data) != data.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(errorText, QStringLiteral("cannot write %1: %2").arg(filePath, reason));
    }
    if (!file.commit())
        return fail(errorText, QStringLiteral("cannot store %1: %2").arg(filePath, file.errorString()));
    return true;
}
