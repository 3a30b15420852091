#include "cit8parser.h"

#include "cit8content.h"
#include "it8chars.h"
#include "it8numbertext.h"

#include <cstdio>
#include <iterator>
#include <utility>

namespace {

constexpr const char* kPredefinedKeywords[] = {
    "NUMBER_OF_FIELDS", "NUMBER_OF_SETS", "ORIGINATOR", "CREATED", "DESCRIPTOR", "DIFFUSE_GEOMETRY",
    "MANUFACTURER", "MANUFACTURE", "PROD_DATE", "SERIAL", "MATERIAL", "INSTRUMENTATION",
    "MEASUREMENT_SOURCE", "PRINT_CONDITIONS", "SAMPLE_BACKING", "CHISQ_DOF", "LGOROWLENGTH",
    "SAMPLE_FOR_CHANNEL", "ILLUMINATION_NAME", "OBSERVER_ANGLE", "NUMBEROFCOMPONENTS", "NUMBEROFCOMPONENT",
    "NUMBER_OF_COMPONENTS", "NUMBER_OF_COMPONENT", "INK_MODEL"};

// Properties and cells keep one character less than the lexer's string limit.
constexpr size_t kMaxValueText = CIt8Lexer::kMaxString - 1;
constexpr int32_t kDefaultFieldCount = 32;

// Counts the values of each physical data line, to point at the first line that
// does not hold one value per field.
class DataLineTally
{
public:
    explicit DataLineTally(CIt8Reading& reading)
        : m_reading(reading)
    {
    }

    void Count(int line, int32_t fields)
    {
        if (line != m_line) {
            Close(fields);
            m_line = line;
            m_values = 0;
        }
        ++m_values;
    }

    void Close(int32_t fields)
    {
        if (m_line > 0 && m_reading.unevenLine == 0 && m_values != fields) {
            m_reading.unevenLine = m_line;
            m_reading.unevenLineValues = m_values;
        }
    }

private:
    CIt8Reading& m_reading;
    int m_line = 0;
    int64_t m_values = 0;
};

} // namespace

CIt8Parser::CIt8Parser(QByteArray text, std::string fileName, CIt8Content& content)
    : m_lexer(std::move(text))
    , m_fileName(std::move(fileName))
    , m_content(content)
    , m_allowedKeywords(std::begin(kPredefinedKeywords), std::end(kPredefinedKeywords))
{
}

bool CIt8Parser::Parse()
{
    m_lexer.NextSymbol();
    for (;;) {
        switch (m_lexer.Symbol()) {
        case It8Symbol::EndOfFile:
            return true;
        case It8Symbol::BeginDataFormat:
            if (!ParseDataFormat())
                return false;
            break;
        case It8Symbol::BeginData:
            // The first table is the target; later ones are not read.
            return ParseData();
        default:
            if (!ParseHeader())
                return false;
            break;
        }
    }
}

bool CIt8Parser::ParseHeader()
{
    for (;;) {
        switch (m_lexer.Symbol()) {
        case It8Symbol::EndOfFile:
        case It8Symbol::BeginDataFormat:
        case It8Symbol::BeginData:
            return true;
        case It8Symbol::SyntaxError:
            // Header values such as 14:19:47 or 12647-2:2013 hold characters no rule
            // accepts; what the line gave before them stays, the rest is skipped.
            RaiseSyntaxError(SymbolText() + " skips the rest of the line");
            m_lexer.SkipRestOfLine();
            m_lexer.NextSymbol();
            break;
        case It8Symbol::Identifier:
            ParseProperty();
            break;
        case It8Symbol::KeywordDeclaration:
            if (!ParseKeywordDeclaration())
                return false;
            break;
        default: {
            // A value where a keyword belongs is reported and skipped.
            std::string value;
            if (!ValueText(value))
                RaiseSyntaxError("Sample data expected");
            RaiseSyntaxError("expected keyword or identifier " + m_lexer.Identifier() + ", value " + value);
            m_lexer.NextSymbol();
            break;
        }
        }
    }
}

void CIt8Parser::ParseProperty()
{
    const std::string name = m_lexer.Identifier();
    if (m_allowedKeywords.count(name) == 0) {
        RaiseSyntaxError("Undefined keyword '" + name + "'");
        m_lexer.NextSymbol();
        return;
    }
    m_lexer.NextSymbol();
    switch (m_lexer.Symbol()) {
    case It8Symbol::SyntaxError:
        // Left to the header, which skips the rest of the line.
        return;
    case It8Symbol::EndOfFile:
    case It8Symbol::BeginDataFormat:
    case It8Symbol::BeginData:
        // A keyword without a value must not swallow the section that follows.
        RecordError("Sample data expected for '" + name + "', found " + SymbolText());
        return;
    default:
        break;
    }
    std::string value;
    if (!ValueText(value))
        RaiseSyntaxError("Sample data expected for '" + name + "', found " + SymbolText());
    else if (!value.empty())
        m_content.properties.Add(name, value);
    m_lexer.NextSymbol();
}

bool CIt8Parser::ParseKeywordDeclaration()
{
    m_lexer.NextSymbol();
    std::string name;
    if (m_lexer.Symbol() == It8Symbol::String) {
        name = it8::upperCased(m_lexer.StringText());
    } else if (m_lexer.Symbol() == It8Symbol::Identifier) {
        name = m_lexer.Identifier();
    } else {
        RaiseSyntaxError("Keyword expected, found " + SymbolText());
        return false;
    }
    if (!m_allowedKeywords.insert(name).second) {
        RaiseSyntaxError("Keyword '" + name + "' is defined already");
        return false;
    }
    m_lexer.NextSymbol();
    return true;
}

bool CIt8Parser::ParseDataFormat()
{
    int32_t count = 0;
    bool droppedOne = false;
    m_lexer.NextSymbol();
    while (m_lexer.Symbol() != It8Symbol::EndDataFormat && m_lexer.Symbol() != It8Symbol::EndOfFile) {
        if (m_lexer.Symbol() != It8Symbol::Identifier) {
            RaiseSyntaxError("Field name expected, found " + SymbolText());
            return false;
        }
        // The count is compared before the names are sized, so a format keeps one
        // name more than the field count it announces.
        if (count <= m_content.fieldCount) {
            if (!m_content.fieldNamesSized)
                SizeFieldNames();
            if (static_cast<size_t>(count) >= m_content.fieldNames.size())
                m_content.fieldNames.resize(static_cast<size_t>(count) + 1);
            m_content.fieldNames[static_cast<size_t>(count)] = m_lexer.Identifier();
            ++count;
        } else if (!droppedOne) {
            droppedOne = true;
        } else {
            RaiseSyntaxError("Field '" + m_lexer.Identifier() + "' is one too many for " + std::to_string(count)
                             + " fields");
            return false;
        }
        m_lexer.NextSymbol();
    }
    m_content.fieldCount = count;
    if (m_lexer.Symbol() == It8Symbol::EndDataFormat)
        m_lexer.NextSymbol();
    return true;
}

bool CIt8Parser::ParseData()
{
    CIt8Reading& reading = m_content.reading;
    reading.dataSeen = true;
    DataLineTally lines(reading);
    int32_t fieldIndex = 0;
    int64_t setIndex = 0;
    m_lexer.NextSymbol();
    while (m_lexer.Symbol() != It8Symbol::EndData && m_lexer.Symbol() != It8Symbol::EndOfFile) {
        // Sets are counted by values alone; line breaks mean nothing here.
        if (fieldIndex >= m_content.fieldCount) {
            fieldIndex = 0;
            ++setIndex;
        }
        std::string text;
        if (!ValueText(text)) {
            RaiseSyntaxError("Sample data expected, found " + SymbolText());
            return false;
        }
        if (!m_content.cells.Exists() && !SizeCells()) {
            RaiseSyntaxError("NUMBER_OF_FIELDS " + std::to_string(m_content.fieldCount) + " and NUMBER_OF_SETS "
                             + std::to_string(m_content.setCount) + " give no room for the data");
            return false;
        }
        lines.Count(m_lexer.SymbolLine(), m_content.fieldCount);
        ++reading.dataValues;
        // One set beyond the announced count still fits the array; sets past it are
        // only counted, so that the verdict can name how many the data holds.
        if (setIndex <= m_content.setCount)
            m_content.cells.Store(m_content.CellIndex(setIndex, fieldIndex), std::move(text));
        ++fieldIndex;
        m_lexer.NextSymbol();
    }
    lines.Close(m_content.fieldCount);
    reading.dataEnded = m_lexer.Symbol() == It8Symbol::EndData;
    reading.dataEndLine = m_lexer.SymbolLine();
    return true;
}

bool CIt8Parser::ValueText(std::string& text) const
{
    switch (m_lexer.Symbol()) {
    case It8Symbol::Integer:
        text = std::to_string(m_lexer.IntegerValue());
        return true;
    case It8Symbol::Real:
        text = it8::formatReal(m_lexer.RealValue());
        return true;
    case It8Symbol::Identifier:
        text = m_lexer.Identifier();
        return true;
    case It8Symbol::String:
        text = m_lexer.StringText().substr(0, kMaxValueText);
        return true;
    default:
        return false;
    }
}

std::string CIt8Parser::SymbolText() const
{
    switch (m_lexer.Symbol()) {
    case It8Symbol::SyntaxError: {
        const int c = m_lexer.RejectedChar();
        if (c > ' ' && c < 0x7F)
            return std::string("the character '") + static_cast<char>(c) + "'";
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned>(c));
        return std::string("the byte ") + hex;
    }
    case It8Symbol::EndOfFile: return "the end of the file";
    case It8Symbol::BeginData: return "BEGIN_DATA";
    case It8Symbol::BeginDataFormat: return "BEGIN_DATA_FORMAT";
    case It8Symbol::EndData: return "END_DATA";
    case It8Symbol::EndDataFormat: return "END_DATA_FORMAT";
    case It8Symbol::KeywordDeclaration: return "KEYWORD";
    case It8Symbol::StringKeyword: return "STRING";
    default: {
        std::string value;
        ValueText(value);
        return "'" + value + "'";
    }
    }
}

void CIt8Parser::SizeFieldNames()
{
    const char* announced = m_content.properties.Find("NUMBER_OF_FIELDS");
    const int fields = announced ? it8::toInt(announced) : 0;
    m_content.fieldCount = fields > 0 ? fields : kDefaultFieldCount;
    m_content.fieldNamesSized = true;
}

bool CIt8Parser::SizeCells()
{
    if (m_content.fieldCount <= 0) {
        // Taken as it stands, even "0" or a negative count; only a missing one falls back.
        const char* announced = m_content.properties.Find("NUMBER_OF_FIELDS");
        m_content.fieldCount = announced ? it8::toInt(announced) : kDefaultFieldCount;
    }
    const char* sets = m_content.properties.Find("NUMBER_OF_SETS");
    m_content.setCount = sets ? it8::toInt(sets) : 0;
    return m_content.cells.Create(static_cast<int64_t>(m_content.fieldCount) + 1,
                                  static_cast<int64_t>(m_content.setCount) + 1);
}

void CIt8Parser::RaiseSyntaxError(const std::string& detail)
{
    RecordError(detail);
    m_lexer.MarkSyntaxError();
}

void CIt8Parser::RecordError(const std::string& detail)
{
    m_content.lastError = m_fileName + ": Line " + std::to_string(m_lexer.SymbolLine()) + ", " + detail;
}
