#ifndef LUMETRA_CIT8CELLARRAY_H
#define LUMETRA_CIT8CELLARRAY_H

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

// The data cells of a target: a row-major array whose size comes from the header.
// Cells live in pages created when the file first fills one of their cells, so a
// header that announces billions of cells costs nothing until the data is there;
// their texts share one buffer, so that real tables stay small and close together.
class CIt8CellArray
{
public:
    // Fails for dimensions that are not positive.
    bool Create(int64_t columns, int64_t rows);
    bool Exists() const { return m_size > 0; }
    bool Contains(int64_t index) const { return index >= 0 && index < m_size; }

    // Leaves the cell empty when the text buffer cannot take the text.
    void Store(int64_t index, std::string_view text);
    // The cell's text; empty when nothing was stored there. Valid until the next Store.
    std::string_view At(int64_t index) const;

    // Visits every cell that holds text, in no particular order; the visitor may
    // store into the cell it is given.
    template <typename Visit>
    void ForEachNonEmpty(Visit visit)
    {
        for (const auto& page : m_pages) {
            for (size_t i = 0; i < kPageSize; ++i) {
                const Span span = (*page.second)[i];
                if (span.length > 0)
                    visit(page.first * static_cast<int64_t>(kPageSize) + static_cast<int64_t>(i),
                          std::string_view(m_text.data() + span.offset, span.length));
            }
        }
    }

private:
    static constexpr size_t kPageSize = 256;
    struct Span
    {
        uint32_t offset;
        uint32_t length;
    };
    using Page = std::array<Span, kPageSize>;

    int64_t m_size = 0;
    std::unordered_map<int64_t, std::unique_ptr<Page>> m_pages;
    std::string m_text;
};

#endif
