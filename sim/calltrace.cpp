#include "calltrace.h"

#include <cstdio>
#include <filesystem>

namespace {

// A text argument longer than this is cut in the trace; its length is always shown in full.
constexpr int64_t MaxTracedText = 300;

} // namespace

bool CallTrace::open(const std::string& path)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_file.is_open())
        m_file.close();
    if (path.empty())
        return true;
    // UTF-8 names on every platform; binary, so every line ends in a bare line feed.
    m_file.open(std::filesystem::u8path(path), std::ios::out | std::ios::trunc | std::ios::binary);
    return m_file.is_open();
}

void CallTrace::close()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_file.close();
}

void CallTrace::write(const std::string& line)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_file.is_open())
        m_file << line << '\n' << std::flush;
}

std::string CallTrace::text(const char* bytes, int64_t length)
{
    if (!bytes)
        return "null";
    std::string out = "\"";
    const int64_t shown = length < MaxTracedText ? length : MaxTracedText;
    for (int64_t i = 0; i < shown; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c >= 0x20 && c < 0x7f) {
            out += char(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        }
    }
    out += shown < length ? "\"..." : "\"";
    return out;
}

std::string CallTrace::code(uint32_t answer)
{
    if (answer == 0)
        return "0";
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%x", answer);
    return hex;
}
