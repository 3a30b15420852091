#include "cit8nameindex.h"

#include "it8chars.h"

void CIt8NameIndex::Add(std::string_view name, int position)
{
    const auto inserted = m_positions.emplace(it8::upperCased(name), position);
    if (!inserted.second && position < inserted.first->second)
        inserted.first->second = position;
}

int CIt8NameIndex::Find(const char* name) const
{
    if (!name)
        return -1;
    const auto found = m_positions.find(it8::upperCased(name));
    return found == m_positions.end() ? -1 : found->second;
}
