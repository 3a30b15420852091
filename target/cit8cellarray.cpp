#include "cit8cellarray.h"

#include <utility>

bool CIt8CellArray::Create(int64_t columns, int64_t rows)
{
    // Both come from 32-bit counts plus one, so the product fits in 64 bits.
    if (columns <= 0 || rows <= 0)
        return false;
    m_size = columns * rows;
    return true;
}

void CIt8CellArray::Store(int64_t index, std::string text)
{
    std::unique_ptr<Page>& page = m_pages[index / static_cast<int64_t>(kPageSize)];
    if (!page)
        page = std::make_unique<Page>();
    (*page)[static_cast<size_t>(index) % kPageSize] = std::move(text);
}

const std::string* CIt8CellArray::At(int64_t index) const
{
    if (index < 0)
        return nullptr;
    const auto found = m_pages.find(index / static_cast<int64_t>(kPageSize));
    return found == m_pages.end() ? nullptr : &(*found->second)[static_cast<size_t>(index) % kPageSize];
}
