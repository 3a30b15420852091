#include "cit8lexer.h"

#include "it8chars.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <iterator>
#include <utility>

namespace {

constexpr int kCtrlZ = 0x1A;

struct ReservedWord
{
    const char* word;
    It8Symbol symbol;
};

// Sorted for the binary search.
constexpr ReservedWord kReservedWords[] = {
    {"BEGIN_DATA", It8Symbol::BeginData},
    {"BEGIN_DATA_FORMAT", It8Symbol::BeginDataFormat},
    {"END_DATA", It8Symbol::EndData},
    {"END_DATA_FORMAT", It8Symbol::EndDataFormat},
    {"KEYWORD", It8Symbol::KeywordDeclaration},
    {"STRING", It8Symbol::StringKeyword},
};

It8Symbol identifierSymbol(const std::string& name)
{
    int low = 0;
    int high = static_cast<int>(std::size(kReservedWords)) - 1;
    while (low <= high) {
        const int middle = (low + high) / 2;
        const int order = std::strcmp(name.c_str(), kReservedWords[middle].word);
        if (order == 0)
            return kReservedWords[middle].symbol;
        if (order < 0)
            high = middle - 1;
        else
            low = middle + 1;
    }
    return It8Symbol::Identifier;
}

// What may follow a number to make it part of a name such as 2A1, 7CLR_1 or 31/12/2025.
bool continuesName(int c)
{
    return it8::isDigit(c) || it8::isAlpha(c) || c == '$' || c == '%' || c == '&' || c == '/' || c == '_';
}

bool isIdentifierChar(int c)
{
    return continuesName(c) || c == '.';
}

// 10^p in single precision by binary exponentiation, as the format's reals are
// defined; large powers become infinity rather than anything undefined.
float powerOfTen(int64_t p)
{
    float result = 1.0f;
    float base = 10.0f;
    for (; p > 0; p >>= 1) {
        if (p & 1)
            result *= base;
        base *= base;
    }
    return result;
}

} // namespace

CIt8Lexer::CIt8Lexer(QByteArray text)
    : m_text(std::move(text))
{
}

void CIt8Lexer::NextSymbol()
{
    do {
        SkipSeparators();
        m_symbolLine = m_line;
        if (!it8::isDigit(m_char) && isIdentifierChar(m_char)) {
            ReadIdentifier();
        } else if (it8::isDigit(m_char) || m_char == '-' || m_char == '+') {
            ReadNumber();
        } else if (m_char == 0 || m_char == kCtrlZ) {
            m_symbol = It8Symbol::EndOfFile;
        } else if (m_char == '#') {
            ReadComment();
        } else if (m_char == '"' || m_char == '\'') {
            ReadString();
        } else {
            m_symbol = It8Symbol::SyntaxError;
            m_rejected = m_char;
            ReadChar();
        }
    } while (m_symbol == It8Symbol::Comment);
}

void CIt8Lexer::SkipRestOfLine()
{
    while (m_char != '\n' && m_char != '\r' && m_char != 0 && m_char != kCtrlZ)
        ReadChar();
}

void CIt8Lexer::SkipSeparators()
{
    while (m_char == ' ' || m_char == '\t' || m_char == '\r' || m_char == '\n')
        ReadChar();
}

void CIt8Lexer::ReadIdentifier()
{
    m_identifier.clear();
    for (; isIdentifierChar(m_char); ReadChar()) {
        if (static_cast<int>(m_identifier.size()) < kMaxIdentifier)
            m_identifier.push_back(it8::toUpper(static_cast<char>(m_char)));
    }
    m_symbol = identifierSymbol(m_identifier);
}

void CIt8Lexer::ReadNumber()
{
    // The current character is not NUL, so it stands just before the position.
    const int tokenStart = m_position - 1;
    const bool negative = m_char == '-';
    if (m_char == '-' || m_char == '+')
        ReadChar();

    // The 32-bit accumulation wraps; unsigned arithmetic makes that well defined.
    uint32_t accumulated = 0;
    for (; it8::isDigit(m_char); ReadChar())
        accumulated = accumulated * 10u + static_cast<uint32_t>(m_char - '0');

    if (m_char == '.') {
        const double value = ReadFractionAndExponent(static_cast<int32_t>(accumulated));
        m_real = negative ? -value : value;
        m_symbol = It8Symbol::Real;
    } else {
        m_integer = static_cast<int32_t>(negative ? 0u - accumulated : accumulated);
        m_symbol = It8Symbol::Integer;
    }
    if (continuesName(m_char))
        ReadNameAfterNumber(tokenStart);
}

// A number run straight into name characters is a name from its first character
// on, upper-cased and cut like any identifier; no reserved word starts that way.
void CIt8Lexer::ReadNameAfterNumber(int tokenStart)
{
    for (; continuesName(m_char); ReadChar()) {
    }
    const int end = m_char == 0 ? m_position : m_position - 1;
    const int length = std::min(end - tokenStart, kMaxIdentifier);
    m_identifier = it8::upperCased(std::string_view(m_text.constData() + tokenStart, static_cast<size_t>(length)));
    m_symbol = It8Symbol::Identifier;
}

double CIt8Lexer::ReadFractionAndExponent(int32_t integerPart)
{
    ReadChar(); // the dot
    double fraction = 0.0;
    int64_t fractionDigits = 0;
    for (; it8::isDigit(m_char); ReadChar()) {
        fraction = fraction * 10.0 + (m_char - '0');
        ++fractionDigits;
    }
    double value = integerPart + fraction / static_cast<double>(powerOfTen(fractionDigits));

    if (m_char == 'E' || m_char == 'e') {
        ReadChar();
        const bool negativeExponent = m_char == '-';
        if (m_char == '-' || m_char == '+')
            ReadChar();
        int64_t exponent = 0;
        for (; it8::isDigit(m_char); ReadChar()) {
            if (static_cast<double>(exponent) * 10.0 < 2147483647.0)
                exponent = exponent * 10 + (m_char - '0');
        }
        const float scale = negativeExponent ? 1.0f / powerOfTen(exponent) : powerOfTen(exponent);
        value *= static_cast<double>(scale);
    }
    return value;
}

void CIt8Lexer::ReadComment()
{
    while (m_char != '\n' && m_char != '\r' && m_char != 0)
        ReadChar();
    m_symbol = It8Symbol::Comment;
}

void CIt8Lexer::ReadString()
{
    const int quote = m_char;
    ReadChar();
    // A string that opens with a doubled quote takes its next two quotes as text.
    int quotesAsText = m_char == quote ? 2 : 0;

    m_string.clear();
    while (static_cast<int>(m_string.size()) < kMaxString) {
        int c = m_char;
        if (c == quote) {
            if (quotesAsText == 0)
                break;
            --quotesAsText;
        } else if (c == '\n' || c == '\r' || c == 0) {
            break;
        } else if (c == '\\') {
            ReadChar();
            switch (m_char) {
            case 'n': c = '\n'; break;
            case 'r': c = '\r'; break;
            case 't': c = '\t'; break;
            default: c = m_char; break;
            }
            // A backslash at the very end escapes nothing; the text simply ends.
            if (c == 0)
                break;
        }
        m_string.push_back(static_cast<char>(c));
        ReadChar();
    }
    m_symbol = It8Symbol::String;
    ReadChar();
}
