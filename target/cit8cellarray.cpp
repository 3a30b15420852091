#include "cit8cellarray.h"

#include <cstdint>
#include <cstring>

namespace {

// Spans address the text buffer with 32 bits.
constexpr size_t kMaxText = UINT32_MAX;

} // namespace

bool CIt8CellArray::Create(int64_t columns, int64_t rows)
{
    // Both come from 32-bit counts plus one, so the product fits in 64 bits.
    if (columns <= 0 || rows <= 0)
        return false;
    m_size = columns * rows;
    return true;
}

void CIt8CellArray::Store(int64_t index, std::string_view text)
{
    std::unique_ptr<Page>& page = m_pages[index / static_cast<int64_t>(kPageSize)];
    if (!page)
        page = std::make_unique<Page>();
    Span& span = (*page)[static_cast<size_t>(index) % kPageSize];
    if (text.empty()) {
        span.length = 0;
        return;
    }
    // A text that fits replaces the old one in place; anything longer goes to the end.
    if (text.size() <= span.length) {
        std::memcpy(&m_text[span.offset], text.data(), text.size());
        span.length = static_cast<uint32_t>(text.size());
        return;
    }
    if (text.size() > kMaxText - m_text.size()) {
        span.length = 0;
        return;
    }
    span.offset = static_cast<uint32_t>(m_text.size());
    span.length = static_cast<uint32_t>(text.size());
    m_text.append(text);
}

std::string_view CIt8CellArray::At(int64_t index) const
{
    if (index < 0)
        return {};
    const auto found = m_pages.find(index / static_cast<int64_t>(kPageSize));
    if (found == m_pages.end())
        return {};
    const Span span = (*found->second)[static_cast<size_t>(index) % kPageSize];
    return std::string_view(m_text.data() + span.offset, span.length);
}
