#include "BatchInterrupt.h"

#include <string>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <unistd.h>
#endif

namespace cli {

namespace {

// Raw reads, not stdio: a thread blocked in fgets would hold the stream's lock while exit()
// flushes every stream.
long readInput(char* buffer, unsigned size) {
#ifdef _WIN32
    DWORD got = 0;
    if (!ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, size, &got, nullptr))
        return -1; // a closed pipe reads as ERROR_BROKEN_PIPE
    return long(got);
#else
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, buffer, size);
        if (got >= 0 || errno != EINTR)
            return long(got);
    }
#endif
}

void watch(std::atomic<bool>* interrupted) {
    std::string line;
    char buffer[256];
    for (;;) {
        const long got = readInput(buffer, sizeof buffer);
        if (got <= 0)
            break;
        for (long i = 0; i < got; ++i) {
            if (buffer[i] != '\n') {
                if (line.size() < 64)
                    line += buffer[i];
                continue;
            }
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line == "stop") {
                interrupted->store(true);
                return;
            }
            line.clear();
        }
    }
    interrupted->store(true);
}

} // namespace

void stopOnInput(std::atomic<bool>& interrupted) {
    std::thread(watch, &interrupted).detach();
}

} // namespace cli
