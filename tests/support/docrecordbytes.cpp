#include "docrecordbytes.h"

#include <QtEndian>

#include <cstring>

namespace {

constexpr int DocRecordSize = 2672;

void put32(QByteArray& record, int offset, int32_t value)
{
    qToLittleEndian(value, record.data() + offset);
}

void put64(QByteArray& record, int offset, int64_t value)
{
    qToLittleEndian(value, record.data() + offset);
}

void putText(QByteArray& record, int offset, const char* text)
{
    std::memcpy(record.data() + offset, text, std::strlen(text));
}

int32_t word(const QByteArray& record, int offset)
{
    return offset + 4 <= record.size() ? qFromLittleEndian<int32_t>(record.constData() + offset) : 0;
}

} // namespace

QByteArray expectedDocRecord(const DocRecordValues& v)
{
    QByteArray r(DocRecordSize, '\0');
    put32(r, 0, 1);
    put32(r, 4, v.docId);
    put32(r, 8, 1);
    put32(r, 12, 2);
    put32(r, 20, 360);
    put32(r, 24, 360);
    put32(r, 28, v.pageWidth);
    put32(r, 32, v.pageHeight);
    put32(r, 44, v.pageWidth);
    put32(r, 48, v.pageHeight);
    putText(r, 52, "sample");
    put64(r, 1080, 6);
    putText(r, 1088, "user");
    put64(r, 2112, 4);
    put32(r, 2120, 60);
    put32(r, 2124, v.modeA);
    put32(r, 2136, v.modeB);
    put32(r, 2140, v.modeC);
    return r;
}

QString docRecordDifferences(const QByteArray& actual, const QByteArray& expected)
{
    if (actual.size() != expected.size())
        return QStringLiteral("%1 bytes instead of %2").arg(actual.size()).arg(expected.size());
    QString differences;
    for (int offset = 0; offset < actual.size(); offset += 4) {
        if (word(actual, offset) != word(expected, offset))
            differences += QStringLiteral("%1: %2 (%3) ").arg(offset).arg(word(actual, offset)).arg(word(expected, offset));
    }
    return differences.trimmed();
}
