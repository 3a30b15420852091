#include "filesizelimit.h"

#ifndef _WIN32
#include <csignal>

FileSizeLimit::FileSizeLimit(uint64_t bytes)
    : m_previousHandler(std::signal(SIGXFSZ, SIG_IGN))
{
    if (getrlimit(RLIMIT_FSIZE, &m_previous) != 0)
        return;
    rlimit lowered = m_previous;
    lowered.rlim_cur = rlim_t(bytes);
    m_active = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
}

FileSizeLimit::~FileSizeLimit()
{
    if (m_active)
        setrlimit(RLIMIT_FSIZE, &m_previous);
    if (m_previousHandler != SIG_ERR)
        std::signal(SIGXFSZ, m_previousHandler);
}
#endif
