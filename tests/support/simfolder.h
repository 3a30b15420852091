#ifndef LUMETRA_TESTS_SIMFOLDER_H
#define LUMETRA_TESTS_SIMFOLDER_H

#include "qstringprinter.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A private copy of the printer simulator in a temporary folder, beside a
// scenario file that always asks for a call trace and the records of StartDoc
// and CreateChart.
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
    // The bytes of the record the last StartDoc was given; empty when there was none.
    QByteArray startDocRecord() const;
    // The bytes of the record the last CreateChart was given; empty when there was none.
    QByteArray createChartRecord() const;

private:
    QByteArray fileBytes(const QString& name) const;

    QTemporaryDir m_dir;
    bool m_valid = false;
};

// Writes a small target file: sets P1..Pn with the given ink model and one value per ink field.
QString writeTarget(const QString& path, const QString& inkModel, const QStringList& inkFields, int sets,
                    const QString& extraHeader = QString());
// Writes a small target whose set k (named P<k+1>) holds the values of row k, one per ink field.
QString writeTargetRows(const QString& path, const QString& inkModel, const QStringList& inkFields,
                        const QList<QList<int>>& rows, const QString& extraHeader = QString());

#endif
