#include "logwriter.h"

#include <QFileDevice>
#include <QIODevice>

void writeLogLine(QIODevice* log, const QString& line)
{
    if (!log || !log->isOpen())
        return;
    log->write(line.toLatin1() + '\n');
    if (auto* file = qobject_cast<QFileDevice*>(log))
        file->flush();
}
