#ifndef LUMETRA_TESTS_RECORDBYTES_H
#define LUMETRA_TESTS_RECORDBYTES_H

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

// What a chart record must say; lengths in hundredths of a millimetre.
struct ChartRecordValues
{
    int32_t channels;
    int32_t patchCount;
    int32_t resolutionX;
    int32_t resolutionY;
    int32_t patchWidth;
    int32_t patchHeight;
    int32_t patchesPerRow;
    int32_t chartWidth;
    int32_t chartHeight;
    uint64_t colourTable; // the address, which only the record itself can tell
    int32_t chartType;
};

// The 672 bytes CreateChart must be given, laid out from the printer's offsets like
// expectedDocRecord; the background and channel code follow from the channel count.
QByteArray expectedChartRecord(const ChartRecordValues& values);
// The colour table's address in a chart record as given; 0 when there is none.
uint64_t chartRecordColourTable(const QByteArray& record);

// The 32-bit words where two records differ, "offset: actual (expected)", or empty.
QString recordDifferences(const QByteArray& actual, const QByteArray& expected);

#endif
