#ifndef LUMETRA_CIT8CELLARRAY_H
#define LUMETRA_CIT8CELLARRAY_H

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

// The data cells of a target: a row-major array whose size comes from the header.
// Cells live in pages created when the file first fills one of their cells, so a
// header that announces billions of cells costs nothing until the data is there,
// while the cells of real data stay side by side in memory.
class CIt8CellArray
{
public:
    // Fails for dimensions that are not positive.
    bool Create(int64_t columns, int64_t rows);
    bool Exists() const { return m_size > 0; }
    bool Contains(int64_t index) const { return index >= 0 && index < m_size; }

    void Store(int64_t index, std::string text);
    // The cell, or null when nothing was stored there.
    const std::string* At(int64_t index) const;

    // Visits every cell that holds text, in no particular order.
    template <typename Visit>
    void ForEachNonEmpty(Visit visit)
    {
        for (auto& page : m_pages) {
            for (size_t i = 0; i < kPageSize; ++i) {
                if (!(*page.second)[i].empty())
                    visit(page.first * static_cast<int64_t>(kPageSize) + static_cast<int64_t>(i), (*page.second)[i]);
            }
        }
    }

private:
    static constexpr size_t kPageSize = 256;
    using Page = std::array<std::string, kPageSize>;

    int64_t m_size = 0;
    std::unordered_map<int64_t, std::unique_ptr<Page>> m_pages;
};

#endif
