#include "it8numbertext.h"

#include "it8chars.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <clocale>
#include <cstdint>
#include <cstdlib>

#ifndef _WIN32
#include <locale.h>
#endif

namespace it8 {

int toInt(const char* text)
{
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    // Accumulate the magnitude one past INT_MAX at most, so that INT_MIN still fits.
    const int64_t limit = static_cast<int64_t>(INT_MAX) + 1;
    int64_t magnitude = 0;
    for (; isDigit(*p); ++p)
        magnitude = std::min(limit, magnitude * 10 + (*p - '0'));
    const int64_t value = negative ? -magnitude : std::min(magnitude, limit - 1);
    return static_cast<int>(value);
}

double toDouble(const char* text)
{
#ifdef _WIN32
    static const _locale_t cLocale = _create_locale(LC_NUMERIC, "C");
    return _strtod_l(text, nullptr, cLocale);
#else
    static const locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", locale_t(nullptr));
    return strtod_l(text, nullptr, cLocale);
#endif
}

std::string formatReal(double value)
{
    // "%g" of a double is at most a sign, 6 digits, a point and a 4-digit exponent.
    char buffer[32];
    const std::to_chars_result result
        = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    return std::string(buffer, result.ptr);
}

} // namespace it8
