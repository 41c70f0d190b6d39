#include "FakePrinter.h"

#include <prnformat/Crc32.h>

#include <pugixml.hpp>

#include <chrono>
#include <cstring>

#include <poll.h>
#include <unistd.h>

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
    std::string pending;
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
        pending.append(chunk, static_cast<std::size_t>(n));
        {
            std::lock_guard<std::mutex> lock(mutex);
            raw.append(chunk, static_cast<std::size_t>(n));
        }

        // A frame is complete once its text, NUL, announced payload and checksum are all here.
        for (;;) {
            const std::size_t nul = pending.find('\0');
            if (nul == std::string::npos)
                break;
            pugi::xml_document doc;
            doc.load_buffer(pending.data(), nul);
            const std::size_t size = doc.child("prn").child("binary-size").text().as_uint();
            const std::size_t total = nul + 1 + size + 4;
            if (pending.size() < total)
                break;
            const std::uint32_t crc = Orvane::crc32(pending.data(), nul + 1 + size);
            const std::uint32_t sent = Orvane::loadCrcLe(
                reinterpret_cast<const unsigned char*>(pending.data()) + total - 4);
            const std::string xml = pending.substr(0, nul);
            pending.erase(0, total);
            if (crc == sent)
                handle(xml);
            if (stalled)
                break;
        }
    }
}

void FakePrinter::handle(const std::string& xml) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        received.push_back(xml);
    }
    if (reply == Reply::Silent)
        return;
    if (beforeAnswer)
        beforeAnswer();

    pugi::xml_document request;
    request.load_string(xml.c_str());
    std::string answer = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><prn><get-response>";
    for (pugi::xml_node param : request.child("prn").child("get").children("param")) {
        const auto it = settings.find(param.attribute("id").value());
        if (it != settings.end())
            answer += "<param id=\"" + it->first + "\">" + it->second + "</param>";
    }
    answer += "</get-response><binary-size>0</binary-size></prn>";
    answer.push_back('\0');
    unsigned char crc[4];
    Orvane::storeCrcLe(Orvane::crc32(answer.data(), answer.size()), crc);
    if (reply == Reply::BadCrc)
        std::swap(crc[0], crc[3]), std::swap(crc[1], crc[2]);
    answer.append(reinterpret_cast<const char*>(crc), 4);

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
