#include "it8samplename.h"

#include "it8chars.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace it8 {

std::string normalizedSampleName(std::string_view name)
{
    std::string result;
    size_t i = 0;
    for (; i < name.size() && isAlpha(name[i]); ++i)
        result.push_back(toUpper(name[i]));
    if (i < name.size() && isDigit(name[i])) {
        // Numbers beyond the 32-bit range stay at its top rather than wrapping.
        int64_t value = 0;
        for (; i < name.size() && isDigit(name[i]); ++i)
            value = std::min<int64_t>(INT_MAX, value * 10 + (name[i] - '0'));
        result += std::to_string(value);
    }
    return result == "GS0" ? "DMIN" : result;
}

} // namespace it8
