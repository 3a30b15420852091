#ifndef LUMETRA_SIM_CALLTRACE_H
#define LUMETRA_SIM_CALLTRACE_H

#include <cstdint>
#include <fstream>
#include <mutex>
#include <string>

// The call trace file: one line per call the simulator receives and per
// callback it makes, written from any thread, flushed line by line so a
// test may read it while the library is still loaded.
class CallTrace
{
public:
    // Truncates path and starts writing there; an empty path stops tracing.
    bool open(const std::string& path);
    void close();
    void write(const std::string& line);

    // Formats for the arguments of a line.
    static std::string text(const char* bytes, int64_t length);
    static std::string code(uint32_t answer);

private:
    std::mutex m_mutex;
    std::ofstream m_file;
};

#endif
