#include "recordbytes.h"

#include <QtEndian>

#include <cstring>

namespace {

constexpr int DocRecordSize = 2672;
constexpr int ChartRecordSize = 672;
constexpr int ChartColourTableOffset = 136;

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

QByteArray expectedChartRecord(const ChartRecordValues& v)
{
    QByteArray r(ChartRecordSize, '\0');
    put32(r, 0, 1);
    put32(r, 4, 1);
    const int32_t code = v.channels < 4 ? 2 : v.channels == 4 ? 3 : 255;
    put32(r, 8, code);
    put32(r, 12, v.patchCount);
    put32(r, 16, v.resolutionX);
    put32(r, 20, v.resolutionY);
    put32(r, 24, v.patchWidth);
    put32(r, 28, v.patchHeight);
    if (code == 2)
        r.replace(32, 3, QByteArray(3, '\xff'));
    put32(r, 64, v.patchesPerRow);
    for (int offset = 68; offset <= 96; offset += 4)
        put32(r, offset, 300);
    put32(r, 100, v.chartWidth);
    put32(r, 104, v.chartHeight);
    put32(r, 116, 4000);
    put32(r, 132, 64);
    put64(r, ChartColourTableOffset, int64_t(v.colourTable));
    put32(r, 144, v.channels);
    put32(r, 148, v.chartType);
    return r;
}

uint64_t chartRecordColourTable(const QByteArray& record)
{
    return record.size() == ChartRecordSize
        ? qFromLittleEndian<quint64>(record.constData() + ChartColourTableOffset)
        : 0;
}

QString recordDifferences(const QByteArray& actual, const QByteArray& expected)
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
