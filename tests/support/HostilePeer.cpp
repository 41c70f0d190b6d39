#include "HostilePeer.h"

#include "FdIo.h"
#include "WireFrame.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace kalyxtest {

namespace {

constexpr int requestWaitMs = 5000;

sockaddr_in loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

} // namespace

std::string HostilePeer::settingsAnswer() {
    return answer("<get-response><param id=\"printer-name\">K2</param></get-response>");
}

std::string HostilePeer::identityAnswer() {
    return answer("<get-response><param id=\"id-manufacturer\">Orvane</param><param "
                  "id=\"id-model-name\">Kalyx K2</param><param id=\"id-printer-serial\">HP-1"
                  "</param></get-response>");
}

HostilePeer::HostilePeer(Fault fault, std::string reply, int pauseMs, bool identifiesFirst)
    : fault_(fault), reply_(reply.empty() ? settingsAnswer() : std::move(reply)), pauseMs_(pauseMs),
      identifiesFirst_(identifiesFirst) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(0);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, fault == Fault::FullBacklog ? 0 : 16);
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    if (fault == Fault::FullBacklog) {
        // A backlog of 0 holds one connection; with it taken (and one more attempt pending),
        // the system drops every further connection request unanswered.
        for (int i = 0; i < 2; ++i) {
            const int filler = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
            ::connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
            held_.push_back(filler);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return;
    }
    ::pipe2(wake_, O_CLOEXEC);
    thread_ = std::thread([this] { serve(); });
}

HostilePeer::~HostilePeer() {
    stop_ = true;
    if (wake_[1] >= 0)
        (void)::write(wake_[1], "x", 1);
    if (thread_.joinable())
        thread_.join();
    for (int fd : held_)
        ::close(fd);
    for (int fd : wake_)
        if (fd >= 0)
            ::close(fd);
    ::close(listener_);
}

void HostilePeer::serve() {
    while (!stopping()) {
        pollfd fds[2] = {{listener_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) <= 0 || (fds[1].revents & POLLIN))
            continue;
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0)
            handle(fd);
    }
}

bool HostilePeer::readRequest(int fd) {
    Frame request;
    if (!readFrame(fd, request, requestWaitMs))
        return false;
    received_ += request.text.size() + 1 + request.payload.size() + 4;
    return true;
}

bool HostilePeer::trickle(int fd, const std::string& bytes) {
    for (char c : bytes) {
        if (stopping() || !writeAll(fd, std::string(1, c)))
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs_));
    }
    return true;
}

void HostilePeer::handle(int fd) {
    const std::string firstHalf = reply_.substr(0, reply_.size() / 2);
    if (identifiesFirst_ && (!readRequest(fd) || !writeAll(fd, identityAnswer()))) {
        ::close(fd);
        return;
    }
    switch (fault_) {
    case Fault::Silent:
    case Fault::Stall:
        if (readRequest(fd) && fault_ == Fault::Stall)
            writeAll(fd, firstHalf);
        held_.push_back(fd);
        return;
    case Fault::RefuseToRead:
        held_.push_back(fd);
        return;
    case Fault::Malformed:
        if (readRequest(fd))
            writeAll(fd, frame("<prn><get-response>no closing tag</prn>"));
        waitForEof(fd, 2000);
        break;
    case Fault::Trickle:
        if (readRequest(fd))
            trickle(fd, reply_);
        waitForEof(fd, 2000);
        break;
    case Fault::CloseMidFrame:
        if (readRequest(fd))
            writeAll(fd, firstHalf);
        break;
    case Fault::Reset:
        readRequest(fd);
        break;
    case Fault::CloseUnread:
        // Long enough for a small job to be on its way, never read.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        break;
    case Fault::HugeBinarySize:
        if (readRequest(fd))
            writeAll(fd, frame("<prn><get-response/><binary-size>4294967296</binary-size></prn>",
                               std::string(64, 'x')));
        waitForEof(fd, 2000);
        break;
    case Fault::Scripted:
        while (!stopping() && readRequest(fd))
            writeAll(fd, reply_);
        break;
    case Fault::FullBacklog:
        break;
    case Fault::WebServer: {
        // It answers whatever arrives first, and closes its side as such servers do, so the
        // page is not lost to a reset.
        char buffer[4096];
        pollfd pfd{fd, POLLIN, 0};
        if (::poll(&pfd, 1, requestWaitMs) > 0 && ::read(fd, buffer, sizeof buffer) > 0)
            writeAll(fd, "HTTP/1.1 400 Bad Request\r\nContent-Type: text/html\r\n"
                         "Connection: close\r\n\r\n<html><head><title>400 Bad Request</title>"
                         "</head><body>Bad Request</body></html>\r\n");
        ::shutdown(fd, SHUT_WR);
        waitForEof(fd, 2000);
        break;
    }
    case Fault::Greeting:
        writeAll(fd, "SSH-2.0-Shell_1.0\r\n");
        held_.push_back(fd);
        return;
    case Fault::Echo: {
        char buffer[65536];
        while (!stopping()) {
            pollfd pfd{fd, POLLIN, 0};
            const int ready = ::poll(&pfd, 1, 100);
            if (ready == 0)
                continue;
            const ssize_t n = ready > 0 ? ::read(fd, buffer, sizeof buffer) : -1;
            if (n <= 0 || !writeAll(fd, std::string(buffer, static_cast<std::size_t>(n))))
                break;
            received_ += static_cast<std::uint64_t>(n);
        }
        break;
    }
    }
    if (fault_ == Fault::Reset || fault_ == Fault::CloseUnread) {
        // Closing with unread bytes, or with lingering off, resets the connection.
        const linger abortive{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    }
    ::close(fd);
}

} // namespace kalyxtest
