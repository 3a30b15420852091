#ifndef LUMETRA_TESTS_SIMFOLDER_H
#define LUMETRA_TESTS_SIMFOLDER_H

#include "qstringprinter.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A private copy of the printer simulator in a temporary folder, beside a
// scenario file that always asks for a call trace.
class SimFolder
{
public:
    explicit SimFolder(const QString& scenario = QString());

    bool isValid() const { return m_valid; }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    // The simulator's copy under the SDK's file name of this platform, with native separators.
    QString libraryPath() const;

    // The SDK calls as traced, one line each, without the callback lines.
    QStringList calls() const;
    // The operation names of calls(), in order.
    QStringList operations() const;
    // The first traced call of an operation, or an empty text.
    QString call(const QString& operation) const;

private:
    QTemporaryDir m_dir;
    bool m_valid = false;
};

// Writes a small target file: sets P1..Pn with the given ink model and one value per ink field.
QString writeTarget(const QString& path, const QString& inkModel, const QStringList& inkFields, int sets,
                    const QString& extraHeader = QString());

#endif
