#ifndef LUMETRA_TESTS_TARGETFILES_H
#define LUMETRA_TESTS_TARGETFILES_H

#include "cit8table.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <string>

// Target texts written to files of a private temporary folder, for loading.
class TargetFiles
{
public:
    QString Write(const QByteArray& text)
    {
        const QString path = m_dir.filePath(QString("target%1.txt").arg(m_count++));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(text);
        return path;
    }

    std::unique_ptr<CIt8Table> Load(const QByteArray& text)
    {
        return CIt8Table::Load(QFile::encodeName(Write(text)).constData());
    }

private:
    QTemporaryDir m_dir;
    int m_count = 0;
};

// Every readable cell of the table, set by set, joined with '|'.
inline std::string readableCells(const CIt8Table& table)
{
    std::string joined;
    char cell[256];
    for (int set = 0; set < table.GetSetCount(); ++set) {
        for (int field = 0; field < table.GetFieldCount(); ++field) {
            if (table.GetCellAt(field, set, cell, sizeof cell))
                joined += (joined.empty() ? "" : "|") + std::string(cell);
        }
    }
    return joined;
}

#endif
