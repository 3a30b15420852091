#ifndef LUMETRA_IT8SAMPLENAME_H
#define LUMETRA_IT8SAMPLENAME_H

#include <string>
#include <string_view>

namespace it8 {

// The canonical form of a patch name in the SAMPLEID column, so that "a01" and
// "A1" name the same patch: the leading letters upper-cased, then the value of the
// digits that follow (leading zeros gone, the rest dropped); "GS0" becomes "DMIN".
std::string normalizedSampleName(std::string_view name);

} // namespace it8

#endif
