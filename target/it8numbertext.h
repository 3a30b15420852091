#ifndef LUMETRA_IT8NUMBERTEXT_H
#define LUMETRA_IT8NUMBERTEXT_H

#include <string>

// The C library's number conversions as target files need them, but independent of
// the process locale (a decimal comma would otherwise change every value) and free
// of undefined results on overflow.
namespace it8 {

// atoi: leading blanks, optional sign, digits up to the first other character;
// clamped to the 32-bit range.
int toInt(const char* text);

// atof in the "C" locale: the leading number of the text, 0.0 when there is none.
double toDouble(const char* text);

// printf "%g" in the "C" locale.
std::string formatReal(double value);

} // namespace it8

#endif
