#ifndef LUMETRA_CIT8TABLE_H
#define LUMETRA_CIT8TABLE_H


#include <memory>

// A loaded IT8/CGATS target file: header properties and a table of data cells, one
// row per patch ("set") and one column per named quantity ("field"), all kept as
// text. A file with syntax errors still loads, holding what was read before the
// error; IsComplete tells whether the file was read whole.
class CIt8Table
{
public:
    // The path is in the file system's 8-bit encoding (QFile::encodeName). None when
    // the file is not a regular file, cannot be opened or read, or is empty.
    static std::unique_ptr<CIt8Table> Load(const char* path);

    ~CIt8Table();
    CIt8Table(const CIt8Table&) = delete;
    CIt8Table& operator=(const CIt8Table&) = delete;

    // The value of a header property (key compared without regard to case), or null.
    const char* GetPropertyText(const char* name) const;

    // Copies cell (set, field) into buffer, truncated to size - 1 characters. False,
    // with an empty buffer, when the cell is out of range or empty.
    bool GetCellAt(int field, int set, char* buffer, int size) const;
    // Copies the cell of a patch (by name, see FindPatchSet) in a field (by name,
    // without regard to case). False, with the buffer unchanged, when the patch,
    // the field or the cell's text is missing.
    bool GetCell(const char* patch, const char* fieldName, char* buffer, int size) const;
    // The leading number of the cell's first 19 characters; out unchanged on failure.
    bool GetCellNumber(const char* patch, const char* fieldName, double& out) const;
    // GetCellNumber for a field and a set found beforehand (FindField, FindPatchSet),
    // for callers that read many cells.
    bool GetCellNumberAt(int field, int set, double& out) const;
    // The first set whose key-column cell equals the patch name without regard to
    // case, or -1. Only sets below the set count are searched.
    int FindPatchSet(const char* patch) const;

    // The first field of that name (without regard to case), or -1.
    int FindField(const char* fieldName) const;
    int GetFieldCount() const;
    int GetSetCount() const;
    // The name of a field, or null.
    const char* GetFieldName(int field) const;
    // The field "SAMPLEID" that names the patches, or 0 when there is none.
    int GetKeyColumn() const;
    // Whether the file was read whole: the parse reached the end of the text or of
    // its first table (BEGIN_DATA ... END_DATA), and that table holds exactly the
    // NUMBER_OF_SETS sets that its header announces, each of one value per field.
    bool IsComplete() const;
    // Why the file was not read whole, for a person to act on: the file, and where
    // the parse stopped ("file: Line n, detail") or the set counts and the first
    // data line that holds too few or too many values. Empty when it was.
    const char* GetReadError() const;
    // The last syntax error met while loading ("file: Line n, detail"), also one the
    // header recovered from, or an empty text.
    const char* GetLastSyntaxError() const;

private:
    struct Data;

    explicit CIt8Table(std::unique_ptr<Data> data);

    std::unique_ptr<Data> m_data;
};

#endif
