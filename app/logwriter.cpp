#include "logwriter.h"

#include <QFileDevice>
#include <QIODevice>

namespace {

// C0 controls, DEL and the C1 controls that Latin-1 text would carry as bytes.
bool isControl(QChar c)
{
    const ushort u = c.unicode();
    return u < 0x20 || (u >= 0x7F && u < 0xA0);
}

QString hexEscape(uint code)
{
    return QLatin1String("\\x") + QString::number(code, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

} // namespace

QString escapedLogText(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (!isControl(c))
            escaped += c;
        else if (c == QLatin1Char('\n'))
            escaped += QLatin1String("\\n");
        else
            escaped += hexEscape(c.unicode());
    }
    return escaped;
}

QString escapedBytes(const QByteArray& bytes)
{
    QString text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text += byte >= 0x20 && byte < 0x7F && byte != '\\' ? QString(QLatin1Char(c)) : hexEscape(byte);
    }
    return text;
}

void writeLogLine(QIODevice* log, const QString& line)
{
    if (!log || !log->isOpen())
        return;
    log->write(escapedLogText(line).toLatin1() + '\n');
    if (auto* file = qobject_cast<QFileDevice*>(log))
        file->flush();
}
