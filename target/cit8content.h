#ifndef LUMETRA_CIT8CONTENT_H
#define LUMETRA_CIT8CONTENT_H

#include "cit8cellarray.h"
#include "cit8propertylist.h"

#include <cstdint>
#include <string>
#include <vector>

// How far the parser got: what the verdict on a target's wholeness rests on.
struct CIt8Reading
{
    // A section failed before the end of the text; the last error says where.
    bool stopped = false;
    bool dataSeen = false;
    // The data section closed with END_DATA rather than with the end of the text.
    bool dataEnded = false;
    // The line on which the data section ended.
    int dataEndLine = 0;
    // Values of the data section, counted also beyond the sets the array holds.
    int64_t dataValues = 0;
    // The first data line whose value count differs from the field count, or 0.
    int unevenLine = 0;
    int64_t unevenLineValues = 0;
};

// Everything the parser reads from a target file, as the file's own counts and
// sizing rules left it.
struct CIt8Content
{
    CIt8PropertyList properties;
    int32_t fieldCount = 0;
    int32_t setCount = 0;
    // Field names grow as the format section names them; the flag records that the
    // name array was sized, which fixes the field count the format may fill.
    bool fieldNamesSized = false;
    std::vector<std::string> fieldNames;
    CIt8CellArray cells;
    // The last syntax error ("file: Line n, detail").
    std::string lastError;
    CIt8Reading reading;

    // The entry of cell (set, field): rows of field-count entries, one row per set.
    int64_t CellIndex(int64_t set, int64_t field) const { return set * fieldCount + field; }
};

#endif
