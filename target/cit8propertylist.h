#ifndef LUMETRA_CIT8PROPERTYLIST_H
#define LUMETRA_CIT8PROPERTYLIST_H

#include <string>
#include <unordered_map>

// The header properties of a target: keys compare without regard to case and the
// first definition of a key wins.
class CIt8PropertyList
{
public:
    void Add(const std::string& key, const std::string& value);
    // The value of the key, or null. The text lives as long as the list.
    const char* Find(const char* key) const;

private:
    std::unordered_map<std::string, std::string> m_values;
};

#endif
