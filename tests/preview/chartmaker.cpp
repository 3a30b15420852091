#include "chartmaker.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>

// The copy keeps the file's name: Windows starts only a file with its extension.
ChartMaker::ChartMaker()
    : m_executable(m_dir.filePath(QFileInfo(QStringLiteral(LUMETRA_EXECUTABLE)).fileName()))
{
    m_valid = m_dir.isValid() && m_sim.isValid() && QFile::copy(QStringLiteral(LUMETRA_EXECUTABLE), m_executable);
}

QString ChartMaker::writeTarget(const QString& inkModel, const QStringList& fields, const QList<QList<int>>& rows) const
{
    return writeTargetRows(m_dir.filePath(QStringLiteral("target.it8")), inkModel, fields, rows);
}

int ChartMaker::run(const QString& target, int channels, int sets, int patchesPerRow, const QStringList& extra)
{
    const QStringList words = {"-accellpath", m_sim.path(), "-it8", target, "-tiffoutput", chart(),
                               "-patchperrow", QString::number(patchesPerRow), "-patchsizex", "10",
                               "-patchsizey", "8", "-papersizex", "320", "-papersizey", "450",
                               "-numcolor", QString::number(channels), "-numpatch", QString::number(sets),
                               "-prnconntype", "3", "-prnaddr", "127.0.0.1", "-prnmodel", "ILS30EP"};
    QProcess process;
    process.start(m_executable, words + extra);
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QStringList ChartMaker::log() const
{
    QFile file(m_dir.filePath(QStringLiteral("lumetralog.txt")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

PatchGrid::PatchGrid(const PngPicture& picture, int columns, int rows)
    : m_columns(columns)
    , m_rows(rows)
    , m_left(picture.width)
    , m_top(picture.height)
{
    const Rgb white = {255, 255, 255};
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            if (picture.at(x, y) == white)
                continue;
            m_left = std::min(m_left, x);
            m_top = std::min(m_top, y);
            m_right = std::max(m_right, x + 1);
            m_bottom = std::max(m_bottom, y + 1);
        }
    }
}
