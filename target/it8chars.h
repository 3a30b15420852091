#ifndef LUMETRA_IT8CHARS_H
#define LUMETRA_IT8CHARS_H

#include <string>
#include <string_view>

// Character classes and case rules of target files, fixed to ASCII so that neither
// the process locale nor bytes above 127 change how a file reads.
namespace it8 {

inline bool isDigit(int c)
{
    return c >= '0' && c <= '9';
}

inline bool isAlpha(int c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

inline char toUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string upperCased(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = toUpper(c);
    return result;
}

} // namespace it8

#endif
