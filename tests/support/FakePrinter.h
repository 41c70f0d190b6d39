// A printer on the far end of a device node, for the USB transport and discovery.
#pragma once

#include "WireFrame.h"

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kalyxtest {

// Plays a printer on the device's far end: reads framed requests and answers "get" with the
// identity settings it was given. Requests that fail their checksum are not answered.
class FakePrinter {
public:
    enum class Reply {
        Answer,       // a framed get-response with the settings it knows
        Silent,       // never answers
        BadCrc,       // answers with the checksum's bytes in the wrong order
        StopsReading, // answers the first request, then takes no more bytes
    };

    // `beforeAnswer` runs on the printer's thread just before each answer goes out.
    FakePrinter(int fd, std::map<std::string, std::string> settings, Reply reply = Reply::Answer,
                std::function<void()> beforeAnswer = nullptr);
    ~FakePrinter();

    // The XML text of every well-framed request received so far.
    std::vector<std::string> requests() const;
    // Every byte received so far, framed or not.
    std::string bytes() const;

private:
    void run();
    void handle(const Frame& request);

    const int fd;
    const std::map<std::string, std::string> settings;
    const Reply reply;
    const std::function<void()> beforeAnswer;
    std::atomic<bool> stop{false};
    std::atomic<bool> stalled{false};
    mutable std::mutex mutex;
    std::vector<std::string> received;
    std::string raw;
    FrameReader reader;
    std::thread thread;
};

// The usual identity of a printer of the family.
std::map<std::string, std::string> identity(const std::string& serial);

} // namespace kalyxtest
