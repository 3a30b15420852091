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

// Splits the text of a target file into symbols. Line breaks are plain separators,
// counted only to say where a symbol stands; the text ends at its first NUL or at a
// Ctrl-Z.
class CIt8Lexer
{
public:
    static constexpr int kMaxIdentifier = 127;
    static constexpr int kMaxString = 255;

    explicit CIt8Lexer(QByteArray text);

    void NextSymbol();
    // The parser's way of rejecting the current symbol.
    void MarkSyntaxError() { m_symbol = It8Symbol::SyntaxError; }
    // Skips to the end of the current physical line, for a header line to recover
    // from a character no rule accepts.
    void SkipRestOfLine();

    It8Symbol Symbol() const { return m_symbol; }
    int32_t IntegerValue() const { return m_integer; }
    double RealValue() const { return m_real; }
    const std::string& Identifier() const { return m_identifier; }
    const std::string& StringText() const { return m_string; }
    // The character of the last syntax-error symbol the lexer produced.
    int RejectedChar() const { return m_rejected; }
    // The physical line (1-based; LF, CR LF and a lone CR each end one) on which the
    // current symbol begins.
    int SymbolLine() const { return m_symbolLine; }

private:
    // QByteArray keeps a NUL after its last byte, so the end keeps yielding NUL.
    // Reading on from a line break starts the next line (CR LF reached the lexer as LF).
    void ReadChar()
    {
        if (m_char == '\n' || m_char == '\r')
            ++m_line;
        m_char = static_cast<unsigned char>(m_text.constData()[m_position]);
        if (m_char != 0)
            ++m_position;
    }
    void SkipSeparators();
    void ReadIdentifier();
    void ReadNumber();
    void ReadNameAfterNumber(int tokenStart);
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
    int m_rejected = 0;
    int m_line = 1;
    int m_symbolLine = 1;
};

#endif
