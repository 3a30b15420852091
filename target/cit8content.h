#ifndef LUMETRA_CIT8CONTENT_H
#define LUMETRA_CIT8CONTENT_H

#include "cit8cellarray.h"
#include "cit8propertylist.h"

#include <cstdint>
#include <string>
#include <vector>

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
    // The last syntax error, for debugging only.
    std::string lastError;

    // The entry of cell (set, field): rows of field-count entries, one row per set.
    int64_t CellIndex(int64_t set, int64_t field) const { return set * fieldCount + field; }
};

#endif
