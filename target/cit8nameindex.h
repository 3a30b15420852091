#ifndef LUMETRA_CIT8NAMEINDEX_H
#define LUMETRA_CIT8NAMEINDEX_H

#include <string>
#include <string_view>
#include <unordered_map>

// Finds the first position that bears a name, comparing names without regard to
// case, in constant time on average.
class CIt8NameIndex
{
public:
    // Keeps the lowest position given for a name.
    void Add(std::string_view name, int position);
    // The lowest position of the name, or -1.
    int Find(const char* name) const;

private:
    std::unordered_map<std::string, int> m_positions;
};

#endif
