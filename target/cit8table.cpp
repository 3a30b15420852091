#include "cit8table.h"

#include "cit8content.h"
#include "cit8nameindex.h"
#include "cit8parser.h"
#include "it8numbertext.h"
#include "it8samplename.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

namespace {

constexpr size_t kMaxFileName = 259;
constexpr size_t kMaxSampleName = 255;
constexpr int kCellNumberBuffer = 20;
const char* const kKeyFieldName = "SAMPLEID";

// Reads the whole file with CR LF pairs turned into LF, as a text-mode read does on
// the platform the format comes from.
bool readTargetText(const char* path, QByteArray& text)
{
    // A FIFO or a device would block the read or never end it.
    const QString name = QFile::decodeName(path);
    if (!QFileInfo(name).isFile())
        return false;
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    // The lexer indexes the text with an int; larger files are no targets.
    if (size <= 0 || size >= INT_MAX)
        return false;
    text = file.read(size);
    char* kept = text.data();
    for (const char* c = text.constData(); c < text.constData() + text.size(); ++c) {
        if (!(c[0] == '\r' && c[1] == '\n'))
            *kept++ = *c;
    }
    text.truncate(static_cast<int>(kept - text.constData()));
    return true;
}

// Copies a cell that holds text, truncated to the buffer.
void copyCell(std::string_view cell, char* buffer, int size)
{
    const size_t length = std::min(cell.size(), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, cell.data(), length);
    buffer[length] = '\0';
}

} // namespace

struct CIt8Table::Data
{
    CIt8Content content;
    std::string fileName;
    // Why the reading is not whole, or empty.
    std::string readError;
    int keyColumn = 0;
    CIt8NameIndex fields;
    CIt8NameIndex patches;

    // Fields below the field count that have a name entry; the count may be negative.
    int NamedFieldCount() const
    {
        const int64_t named = std::min<int64_t>(content.fieldCount, content.fieldNames.size());
        return static_cast<int>(std::max<int64_t>(0, named));
    }

    // The first (set, field) whose entry is the given one; false when there is none.
    bool CellOf(int64_t index, int64_t& set, int64_t& field) const
    {
        if (content.fieldCount <= 0) {
            set = 0;
            field = 0;
            return index == 0;
        }
        set = index / content.fieldCount;
        field = index % content.fieldCount;
        return true;
    }

    // The text of cell (set, field); empty when it is out of range or empty.
    std::string_view CellText(int field, int set) const
    {
        if (field < 0 || set < 0 || field >= content.fieldCount || set >= content.setCount)
            return {};
        return content.cells.At(content.CellIndex(set, field));
    }

    // Whether the parse read the whole first table, and whether that table holds
    // exactly the sets its header announces; the first fault found is kept.
    void JudgeReading()
    {
        const CIt8Reading& reading = content.reading;
        if (reading.stopped) {
            readError = content.lastError;
        } else if (!reading.dataSeen) {
            readError = fileName + ": no data section (BEGIN_DATA ... END_DATA)";
        } else if (!reading.dataEnded) {
            readError = fileName + ": Line " + std::to_string(reading.dataEndLine)
                + ", END_DATA expected: the data ends with the file, which may be cut short";
        } else if (content.fieldCount <= 0) {
            readError = fileName + ": the data format names no fields";
        } else {
            JudgeSetCount();
        }
    }

    void JudgeSetCount()
    {
        const CIt8Reading& reading = content.reading;
        const int64_t sets = reading.dataValues / content.fieldCount;
        const int64_t rest = reading.dataValues % content.fieldCount;
        const bool announced = content.properties.Find("NUMBER_OF_SETS") != nullptr;
        if (announced && sets == content.setCount && rest == 0)
            return;
        readError = fileName + ": the data holds " + std::to_string(sets) + " complete sets";
        if (rest != 0)
            readError += " and " + std::to_string(rest) + " values more";
        readError += announced ? ", NUMBER_OF_SETS declares " + std::to_string(content.setCount)
                               : ", and the header has no NUMBER_OF_SETS";
        if (rest != 0 && reading.unevenLine > 0)
            readError += "; line " + std::to_string(reading.unevenLine) + " holds "
                + std::to_string(reading.unevenLineValues) + " values for " + std::to_string(content.fieldCount)
                + " fields";
    }

    // Gives every SAMPLEID field canonical patch names (the last such field is the
    // key column) and indexes the field names and the key column, so that every
    // lookup by name is constant-time on average while the first field or set of a
    // name still wins. One pass over the cells serves both.
    void NormalizeAndIndexNames()
    {
        keyColumn = 0;
        std::vector<bool> isKeyField(static_cast<size_t>(NamedFieldCount()), false);
        for (size_t f = 0; f < isKeyField.size(); ++f) {
            const std::string& name = content.fieldNames[f];
            if (!name.empty())
                fields.Add(name, static_cast<int>(f));
            if (name == kKeyFieldName) {
                isKeyField[f] = true;
                keyColumn = static_cast<int>(f);
            }
        }
        content.cells.ForEachNonEmpty([this, &isKeyField](int64_t index, std::string_view text) {
            int64_t set = 0;
            int64_t field = 0;
            if (!CellOf(index, set, field) || set >= content.setCount)
                return;
            if (field < static_cast<int64_t>(isKeyField.size()) && isKeyField[static_cast<size_t>(field)]) {
                content.cells.Store(index, it8::normalizedSampleName(text.substr(0, kMaxSampleName)));
                text = content.cells.At(index);
            }
            if (field == keyColumn && !text.empty())
                patches.Add(text, static_cast<int>(set));
        });
    }
};

CIt8Table::CIt8Table(std::unique_ptr<Data> data)
    : m_data(std::move(data))
{
}

CIt8Table::~CIt8Table() = default;

std::unique_ptr<CIt8Table> CIt8Table::Load(const char* path)
{
    QByteArray text;
    if (!path || !readTargetText(path, text))
        return nullptr;

    auto data = std::make_unique<Data>();
    data->fileName = std::string(path).substr(0, kMaxFileName);
    // A parse that stops early still leaves a table with what it read; the verdict
    // tells callers that need the whole target.
    data->content.reading.stopped = !CIt8Parser(std::move(text), data->fileName, data->content).Parse();
    data->JudgeReading();
    data->NormalizeAndIndexNames();
    return std::unique_ptr<CIt8Table>(new CIt8Table(std::move(data)));
}

const char* CIt8Table::GetPropertyText(const char* name) const
{
    return m_data->content.properties.Find(name);
}

bool CIt8Table::GetCellAt(int field, int set, char* buffer, int size) const
{
    if (!buffer || size <= 0)
        return false;
    const std::string_view cell = m_data->CellText(field, set);
    if (cell.empty()) {
        buffer[0] = '\0';
        return false;
    }
    copyCell(cell, buffer, size);
    return true;
}

bool CIt8Table::GetCell(const char* patch, const char* fieldName, char* buffer, int size) const
{
    if (!buffer || size <= 0)
        return false;
    const std::string_view cell = m_data->CellText(FindField(fieldName), FindPatchSet(patch));
    if (cell.empty())
        return false;
    copyCell(cell, buffer, size);
    return true;
}

bool CIt8Table::GetCellNumber(const char* patch, const char* fieldName, double& out) const
{
    return GetCellNumberAt(FindField(fieldName), FindPatchSet(patch), out);
}

bool CIt8Table::GetCellNumberAt(int field, int set, double& out) const
{
    const std::string_view cell = m_data->CellText(field, set);
    if (cell.empty())
        return false;
    char text[kCellNumberBuffer];
    copyCell(cell, text, sizeof text);
    out = it8::toDouble(text);
    return true;
}

int CIt8Table::FindPatchSet(const char* patch) const
{
    return m_data->patches.Find(patch);
}

int CIt8Table::FindField(const char* fieldName) const
{
    return m_data->fields.Find(fieldName);
}

int CIt8Table::GetFieldCount() const
{
    return m_data->content.fieldCount;
}

int CIt8Table::GetSetCount() const
{
    return m_data->content.setCount;
}

const char* CIt8Table::GetFieldName(int field) const
{
    if (field < 0 || field >= m_data->NamedFieldCount())
        return nullptr;
    return m_data->content.fieldNames[static_cast<size_t>(field)].c_str();
}

int CIt8Table::GetKeyColumn() const
{
    return m_data->keyColumn;
}

bool CIt8Table::IsComplete() const
{
    return m_data->readError.empty();
}

const char* CIt8Table::GetReadError() const
{
    return m_data->readError.c_str();
}

const char* CIt8Table::GetLastSyntaxError() const
{
    return m_data->content.lastError.c_str();
}
