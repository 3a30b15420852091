#ifndef LUMETRA_CIT8LEXER_H
#define LUMETRA_CIT8LEXER_H

#include <QByteArray>

#include <cstdint>
#include <string>

enum class It8Symbol {
    None,
    Integer,
    Real,
    Identifier,
    String,
    Comment,
    EndOfFile,
    SyntaxError,
    BeginData,
    BeginDataFormat,
    EndData,
    EndDataFormat,
    KeywordDeclaration,
    StringKeyword
};

// Splits the text of a target file into symbols. Line breaks are plain separators;
// the text ends at its first NUL or at a Ctrl-Z.
class CIt8Lexer
{
public:
    static constexpr int kMaxIdentifier = 127;
    static constexpr int kMaxString = 255;

    explicit CIt8Lexer(QByteArray text);

    void NextSymbol();
    // The parser's way of rejecting the current symbol.
    void MarkSyntaxError() { m_symbol = It8Symbol::SyntaxError; }

    It8Symbol Symbol() const { return m_symbol; }
    int32_t IntegerValue() const { return m_integer; }
    double RealValue() const { return m_real; }
    const std::string& Identifier() const { return m_identifier; }
    const std::string& StringText() const { return m_string; }

private:
    // QByteArray keeps a NUL after its last byte, so the end keeps yielding NUL.
    void ReadChar()
    {
        m_char = static_cast<unsigned char>(m_text.constData()[m_position]);
        if (m_char != 0)
            ++m_position;
    }
    void SkipSeparators();
    void ReadIdentifier();
    void ReadNumber();
    double ReadFractionAndExponent(int32_t integerPart);
    void ReadComment();
    void ReadString();

    QByteArray m_text;
    int m_position = 0;
    int m_char = ' ';
    It8Symbol m_symbol = It8Symbol::None;
    int32_t m_integer = 0;
    double m_real = 0.0;
    std::string m_identifier;
    std::string m_string;
};

#endif
