#include "FakePrinter.h"

#include <chrono>
#include <cstring>

#include <poll.h>
#include <unistd.h>

namespace kalyxtest {

std::map<std::string, std::string> identity(const std::string& serial) {
    return {{"id-manufacturer", "Kalyx"}, {"id-model-name", "K9"}, {"id-printer-serial", serial}};
}

FakePrinter::FakePrinter(int fd, std::map<std::string, std::string> settings, Reply reply,
                         std::function<void()> beforeAnswer)
    : fd(fd), settings(std::move(settings)), reply(reply), beforeAnswer(std::move(beforeAnswer)),
      thread([this] { run(); }) {}

FakePrinter::~FakePrinter() {
    stop = true;
    thread.join();
}

std::vector<std::string> FakePrinter::requests() const {
    std::lock_guard<std::mutex> lock(mutex);
    return received;
}

std::string FakePrinter::bytes() const {
    std::lock_guard<std::mutex> lock(mutex);
    return raw;
}

void FakePrinter::run() {
    char chunk[4096];
    while (!stop) {
        if (stalled) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 10) <= 0)
            continue;
        // The far end reports a hang-up while nobody has the device open.
        if (!(p.revents & POLLIN)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n <= 0)
            continue;
        reader.feed(chunk, static_cast<std::size_t>(n));
        {
            std::lock_guard<std::mutex> lock(mutex);
            raw.append(chunk, static_cast<std::size_t>(n));
        }
        Frame request;
        while (!stalled && reader.next(request))
            if (request.crcOk())
                handle(request);
    }
}

void FakePrinter::handle(const Frame& request) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        received.push_back(request.text);
    }
    if (reply == Reply::Silent)
        return;
    if (beforeAnswer)
        beforeAnswer();

    std::string values;
    for (pugi::xml_node param : request.prn().child("get").children("param")) {
        const auto it = settings.find(param.attribute("id").value());
        if (it != settings.end())
            values += "<param id=\"" + it->first + "\">" + it->second + "</param>";
    }
    const std::string answer =
        frame("<?xml version=\"1.0\" encoding=\"UTF-8\"?><prn><get-response>" + values +
                  "</get-response><binary-size>0</binary-size></prn>",
              {}, reply == Reply::BadCrc);

    std::size_t done = 0;
    while (done < answer.size() && !stop) {
        const ssize_t n = ::write(fd, answer.data() + done, answer.size() - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else
            ::usleep(1000);
    }
    if (reply == Reply::StopsReading)
        stalled = true;
}

} // namespace kalyxtest
