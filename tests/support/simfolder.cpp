#include "simfolder.h"

#include "csdklibrary.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextStream>

SimFolder::SimFolder(const QString& scenario)
{
    if (!m_dir.isValid() || !QFile::copy(QStringLiteral(ACCEL_SIM_FILE), libraryPath()))
        return;
    QFile file(m_dir.filePath(QStringLiteral("accelsim.txt")));
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write("trace = trace.txt\ndump.StartDoc = startdoc.bin\ndump.CreateChart = createchart.bin\n");
    file.write(scenario.toUtf8());
    file.write("\n");
    m_valid = true;
}

QString SimFolder::libraryPath() const
{
    return CSdkLibrary::libraryPath(m_dir.path());
}

QStringList SimFolder::calls() const
{
    QFile file(m_dir.filePath(QStringLiteral("trace.txt")));
    QStringList lines;
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.isEmpty() && !line.startsWith("->") && !line.startsWith("<-"))
            lines << QString::fromUtf8(line);
    }
    return lines;
}

QStringList SimFolder::operations() const
{
    QStringList names;
    for (const QString& line : calls())
        names << line.left(line.indexOf(QLatin1Char('(')));
    return names;
}

QString SimFolder::call(const QString& operation) const
{
    for (const QString& line : calls()) {
        if (line.startsWith(operation + QLatin1Char('(')))
            return line;
    }
    return QString();
}

QByteArray SimFolder::startDocRecord() const
{
    return fileBytes(QStringLiteral("startdoc.bin"));
}

QByteArray SimFolder::createChartRecord() const
{
    return fileBytes(QStringLiteral("createchart.bin"));
}

QByteArray SimFolder::fileBytes(const QString& name) const
{
    QFile file(m_dir.filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString writeTarget(const QString& path, const QString& inkModel, const QStringList& inkFields, int sets,
                    const QString& extraHeader)
{
    QList<QList<int>> rows;
    for (int set = 0; set < sets; ++set) {
        QList<int> values;
        for (int ink = 0; ink < inkFields.size(); ++ink)
            values << (set * 13 + ink * 29) % 101;
        rows << values;
    }
    return writeTargetRows(path, inkModel, inkFields, rows, extraHeader);
}

QString writeTargetRows(const QString& path, const QString& inkModel, const QStringList& inkFields,
                        const QList<QList<int>>& rows, const QString& extraHeader)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    QTextStream out(&file);
    out << "CGATS.17\n";
    if (!inkModel.isEmpty())
        out << "INK_MODEL \"" << inkModel << "\"\n";
    out << extraHeader << "\n";
    out << "NUMBER_OF_FIELDS " << inkFields.size() + 1 << "\n";
    out << "BEGIN_DATA_FORMAT\nSAMPLE_ID";
    for (const QString& field : inkFields)
        out << " " << field;
    out << "\nEND_DATA_FORMAT\nNUMBER_OF_SETS " << rows.size() << "\nBEGIN_DATA\n";
    for (int set = 0; set < rows.size(); ++set) {
        out << "P" << set + 1;
        for (const int value : rows.at(set))
            out << " " << value;
        out << "\n";
    }
    out << "END_DATA\n";
    return path;
}
