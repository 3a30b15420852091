#ifndef LUMETRA_TESTS_CHARTMAKER_H
#define LUMETRA_TESTS_CHARTMAKER_H

#include "pngpicture.h"
#include "qstringprinter.h"
#include "simfolder.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Charts made as an operator makes them: the lumetra executable, copied into a
// folder of its own for its log, run against a private simulator.
class ChartMaker
{
public:
    ChartMaker();

    bool isValid() const { return m_valid; }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

    // Writes a target of the given ink model and fields whose set k holds the
    // values of row k, one per field.
    QString writeTarget(const QString& inkModel, const QStringList& fields, const QList<QList<int>>& rows) const;
    // Runs lumetra for chart.tif in rows of patchesPerRow patches of 10 x 8 mm;
    // extra words follow the thirteen. The exit code, -1 when it did not end.
    int run(const QString& target, int channels, int sets, int patchesPerRow, const QStringList& extra = {});
    QString chart() const { return filePath(QStringLiteral("chart.tif")); }
    QStringList log() const;

private:
    QTemporaryDir m_dir;
    SimFolder m_sim;
    QString m_executable;
    bool m_valid = false;
};

// The centres of a grid of patches that fills the non-white part of a picture.
class PatchGrid
{
public:
    PatchGrid(const PngPicture& picture, int columns, int rows);

    bool isEmpty() const { return m_right <= m_left || m_bottom <= m_top; }
    int centreX(int column) const { return m_left + (2 * column + 1) * (m_right - m_left) / (2 * m_columns); }
    int centreY(int row) const { return m_top + (2 * row + 1) * (m_bottom - m_top) / (2 * m_rows); }

private:
    int m_columns;
    int m_rows;
    int m_left;
    int m_top;
    int m_right = 0;
    int m_bottom = 0;
};

#endif
