#ifndef FILESIZELIMIT_H
#define FILESIZELIMIT_H

#ifndef _WIN32
#include <sys/resource.h>

#include <cstdint>

// Lowers the size a file of this process may grow to while it lives, with the signal
// that would end the process ignored, so that writes past it fail with EFBIG. Windows
// has no such limit.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(uint64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool active() const { return m_active; }

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int);
    bool m_active = false;
};
#endif

#endif
