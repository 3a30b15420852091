#ifndef LUMETRA_CIT8PARSER_H
#define LUMETRA_CIT8PARSER_H

#include "cit8lexer.h"

#include <QByteArray>

#include <string>
#include <unordered_set>

struct CIt8Content;

// Recursive-descent parser of a target file: header properties, the data format and
// the data. A syntax error ends the parse; what was read before stays in the content.
class CIt8Parser
{
public:
    CIt8Parser(QByteArray text, std::string fileName, CIt8Content& content);

    bool Parse();

private:
    bool ParseHeader();
    void ParseProperty();
    bool ParseKeywordDeclaration();
    bool ParseDataFormat();
    bool ParseData();

    // The text of a value symbol, false for a symbol that carries no value.
    bool ValueText(std::string& text) const;
    void SizeFieldNames();
    bool SizeCells();
    void RaiseSyntaxError(const std::string& detail);

    CIt8Lexer m_lexer;
    std::string m_fileName;
    CIt8Content& m_content;
    // Upper-cased, since keywords compare without regard to case.
    std::unordered_set<std::string> m_allowedKeywords;
};

#endif
