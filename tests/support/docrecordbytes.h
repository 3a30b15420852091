#ifndef LUMETRA_TESTS_DOCRECORDBYTES_H
#define LUMETRA_TESTS_DOCRECORDBYTES_H

#include <QByteArray>
#include <QString>

#include <cstdint>

// What a document record must say, in hundredths of a millimetre and mode fields.
struct DocRecordValues
{
    int32_t docId;
    int32_t pageWidth;
    int32_t pageHeight;
    int32_t modeA;
    int32_t modeB;
    int32_t modeC;
};

// The 2672 bytes StartDoc must be given, laid out here from the printer's offsets and
// not from accelrecords.h: the simulator reads that same header, so a field declared
// in the wrong place there would go unseen by both.
QByteArray expectedDocRecord(const DocRecordValues& values);

// The 32-bit words where two records differ, "offset: actual (expected)", or empty.
QString docRecordDifferences(const QByteArray& actual, const QByteArray& expected);

#endif
