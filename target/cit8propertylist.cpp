#include "cit8propertylist.h"

#include "it8chars.h"

void CIt8PropertyList::Add(const std::string& key, const std::string& value)
{
    m_values.emplace(it8::upperCased(key), value);
}

const char* CIt8PropertyList::Find(const char* key) const
{
    if (!key)
        return nullptr;
    const auto found = m_values.find(it8::upperCased(key));
    return found == m_values.end() ? nullptr : found->second.c_str();
}
