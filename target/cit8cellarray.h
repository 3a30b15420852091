#ifndef LUMETRA_CIT8CELLARRAY_H
#define LUMETRA_CIT8CELLARRAY_H

#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>

// The data cells of a target: a row-major array whose size comes from the header.
// Only the cells the file fills take memory, so a header that announces billions of
// cells costs nothing until the data is really there.
class CIt8CellArray
{
public:
    // Fails for dimensions that are not positive.
    bool Create(int64_t columns, int64_t rows);
    bool Exists() const { return m_size > 0; }
    bool Contains(int64_t index) const { return index >= 0 && index < m_size; }

    void Store(int64_t index, std::string text) { m_cells[index] = std::move(text); }
    // The cell, or null when nothing was stored there.
    const std::string* At(int64_t index) const;

    template <typename Visit>
    void ForEachStored(Visit visit)
    {
        for (auto& cell : m_cells)
            visit(cell.first, cell.second);
    }
    template <typename Visit>
    void ForEachStored(Visit visit) const
    {
        for (const auto& cell : m_cells)
            visit(cell.first, cell.second);
    }

private:
    int64_t m_size = 0;
    std::unordered_map<int64_t, std::string> m_cells;
};

#endif
