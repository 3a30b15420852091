#ifndef LUMETRA_CIT8PARSER_H
#define LUMETRA_CIT8PARSER_H

#include "cit8lexer.h"

#include <QByteArray>

#include <string>
#include <unordered_set>

struct CIt8Content;

// Recursive-descent parser of a target file: header properties, the data format and
// the data of its first table. A header line recovers from a character no rule
// accepts; any other syntax error ends the parse, and what was read before stays in
// the content.
class CIt8Parser
{
public:
    CIt8Parser(QByteArray text, std::string fileName, CIt8Content& content);

    // False when the parse stopped before the end of its text or table.
    bool Parse();

private:
    bool ParseHeader();
    void ParseProperty();
    bool ParseKeywordDeclaration();
    bool ParseDataFormat();
    bool ParseData();

    // The text of a value symbol, false for a symbol that carries no value.
    bool ValueText(std::string& text) const;
    // The current symbol as an error text names it.
    std::string SymbolText() const;
    void SizeFieldNames();
    bool SizeCells();
    // Records the error at the current symbol's line and rejects the symbol.
    void RaiseSyntaxError(const std::string& detail);
    void RecordError(const std::string& detail);

    CIt8Lexer m_lexer;
    std::string m_fileName;
    CIt8Content& m_content;
    // Upper-cased, since keywords compare without regard to case.
    std::unordered_set<std::string> m_allowedKeywords;
};

#endif
