// The far end of a USB printer for tests under Windows: a named pipe that the test serves. A
// regular file is no stand-in, because an overlapped handle on a file has no file pointer.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace wintest {

// A unique pipe path, "\\.\pipe\kalyx-<process>-<n>-<tag>".
std::string uniquePipePath(const std::string& tag);

// The server end of one pipe. Transfers are overlapped and bounded by their time-out.
class PipeEnd {
public:
    // `outBuffer` is what the pipe holds for the device's reads before a write of ours waits.
    // `instances`: how many server ends the path may have at once (each one a PipeEnd).
    explicit PipeEnd(const std::string& path, DWORD outBuffer = 1 << 20, DWORD instances = 1);
    ~PipeEnd();
    PipeEnd(const PipeEnd&) = delete;
    PipeEnd& operator=(const PipeEnd&) = delete;

    const std::string& path() const { return path_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    // The device side has closed its end.
    bool broken() const { return broken_; }
    // Waits until the device side has opened the pipe.
    bool waitConnected(DWORD timeoutMs);
    // Drops the device side, ready for the next one to open the pipe.
    void disconnect();
    bool send(const std::string& bytes, DWORD timeoutMs = 5000);
    // Up to `max` bytes that arrive within the time-out; empty when none did.
    std::string receive(std::size_t max, DWORD timeoutMs);
    // Exactly `count` bytes, or what arrived before the time-out.
    std::string receiveExactly(std::size_t count, DWORD timeoutMs);
    void close();

private:
    bool transfer(bool sending, char* data, DWORD size, DWORD timeoutMs, DWORD& moved);

    std::string path_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    bool connected_ = false;
    bool broken_ = false;
};

// Plays a printer of the family on a pipe: reads framed requests and answers "get" with the
// identity settings it was given. Serves one device open after another until destroyed.
class PipePrinter {
public:
    enum class Reply { Answer, Silent, BadCrc };

    // `instances` > 1 lets the device be opened again at once after a close, as a real one can:
    // a single pipe end is busy until the printer has noticed the close.
    PipePrinter(const std::string& path, std::map<std::string, std::string> settings,
                Reply reply = Reply::Answer, int instances = 1);
    ~PipePrinter();

    const std::string& path() const { return ends_.front()->path(); }
    // The XML text of every well-framed request so far, and how often the device was opened.
    std::vector<std::string> requests() const;
    int opens() const { return opens_; }
    // Every byte each open of the device carried, one entry per open that has ended.
    std::vector<std::string> openedBytes() const;
    // Waits until the printer has seen `opens` opens end and is ready for the next one (the pipe
    // has one instance, busy until then).
    bool waitIdle(int opens, DWORD timeoutMs) const;

private:
    void run(PipeEnd& end);
    void answer(PipeEnd& end, const std::string& xml);

    std::vector<std::unique_ptr<PipeEnd>> ends_;
    const std::map<std::string, std::string> settings_;
    const Reply reply_;
    std::atomic<bool> stop_{false};
    std::atomic<int> opens_{0};
    std::atomic<bool> ready_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::vector<std::string> openedBytes_;
    std::vector<std::thread> threads_;
};

// The usual identity of a printer of the family.
std::map<std::string, std::string> identity(const std::string& serial);

} // namespace wintest
