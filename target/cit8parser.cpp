#include "cit8parser.h"

#include "cit8content.h"
#include "it8chars.h"
#include "it8numbertext.h"

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
// Line breaks carry no meaning in the format, so every error is reported on line 1.
constexpr int kLineNumber = 1;

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
        bool sectionRead = true;
        switch (m_lexer.Symbol()) {
        case It8Symbol::EndOfFile:
        case It8Symbol::SyntaxError:
            return true;
        case It8Symbol::BeginDataFormat:
            sectionRead = ParseDataFormat();
            break;
        case It8Symbol::BeginData:
            sectionRead = ParseData();
            break;
        default:
            sectionRead = ParseHeader();
            break;
        }
        if (!sectionRead)
            return false;
    }
}

bool CIt8Parser::ParseHeader()
{
    for (;;) {
        switch (m_lexer.Symbol()) {
        case It8Symbol::EndOfFile:
        case It8Symbol::SyntaxError:
        case It8Symbol::BeginDataFormat:
        case It8Symbol::BeginData:
            return true;
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
    } else {
        // Any symbol in the value position is consumed, even one the lexer rejected.
        m_lexer.NextSymbol();
        std::string value;
        if (!ValueText(value))
            RaiseSyntaxError("Sample data expected");
        else if (!value.empty())
            m_content.properties.Add(name, value);
    }
    m_lexer.NextSymbol();
}

bool CIt8Parser::ParseKeywordDeclaration()
{
    m_lexer.NextSymbol();
    if (m_lexer.Symbol() != It8Symbol::String) {
        RaiseSyntaxError("Keyword expected");
        return false;
    }
    if (!m_allowedKeywords.insert(it8::upperCased(m_lexer.StringText())).second)
        return false;
    m_lexer.NextSymbol();
    return true;
}

bool CIt8Parser::ParseDataFormat()
{
    int32_t count = 0;
    bool droppedOne = false;
    m_lexer.NextSymbol();
    while (m_lexer.Symbol() != It8Symbol::EndDataFormat && m_lexer.Symbol() != It8Symbol::EndOfFile
           && m_lexer.Symbol() != It8Symbol::SyntaxError) {
        if (m_lexer.Symbol() != It8Symbol::Identifier) {
            m_lexer.MarkSyntaxError();
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
    int32_t fieldIndex = 0;
    int32_t setIndex = 0;
    m_lexer.NextSymbol();
    while (m_lexer.Symbol() != It8Symbol::EndData && m_lexer.Symbol() != It8Symbol::EndOfFile) {
        // Sets are counted by values alone; line breaks mean nothing here.
        if (fieldIndex >= m_content.fieldCount) {
            fieldIndex = 0;
            ++setIndex;
        }
        std::string text;
        if (!ValueText(text)) {
            RaiseSyntaxError("Sample data expected");
            return false;
        }
        if (!m_content.cells.Exists() && !SizeCells())
            return false;
        // One set beyond the announced count still fits the array.
        if (setIndex > m_content.setCount) {
            RaiseSyntaxError("Patch " + std::to_string(setIndex) + " out of range, there are "
                             + std::to_string(m_content.setCount) + " datasets");
            return false;
        }
        // A later format section can change the row length of an array already sized.
        const int64_t index = m_content.CellIndex(setIndex, fieldIndex);
        if (!m_content.cells.Contains(index)) {
            RaiseSyntaxError("Sample " + std::to_string(fieldIndex) + " out of range, there are "
                             + std::to_string(m_content.setCount) + " datasets");
            return false;
        }
        m_content.cells.Store(index, std::move(text));
        ++fieldIndex;
        m_lexer.NextSymbol();
    }
    if (m_lexer.Symbol() == It8Symbol::EndData)
        m_lexer.NextSymbol();
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
    m_content.lastError = m_fileName + ": Line " + std::to_string(kLineNumber) + ", " + detail;
    m_lexer.MarkSyntaxError();
}
