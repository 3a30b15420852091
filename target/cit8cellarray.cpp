#include "cit8cellarray.h"

bool CIt8CellArray::Create(int64_t columns, int64_t rows)
{
    // Both come from 32-bit counts plus one, so the product fits in 64 bits.
    if (columns <= 0 || rows <= 0)
        return false;
    m_size = columns * rows;
    return true;
}

const std::string* CIt8CellArray::At(int64_t index) const
{
    const auto found = m_cells.find(index);
    return found == m_cells.end() ? nullptr : &found->second;
}
