#ifndef LUMETRA_TESTS_QSTRINGPRINTER_H
#define LUMETRA_TESTS_QSTRINGPRINTER_H

#include <QString>
#include <QStringList>

#include <ostream>

// Readable failure messages for Qt texts in GoogleTest assertions.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << '[';
    for (int i = 0; i < list.size(); ++i)
        *os << (i ? ", \"" : "\"") << list.at(i).toStdString() << '"';
    *os << ']';
}

#endif
