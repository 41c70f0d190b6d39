// The simulator for tests under wine: the same interface as on Linux (tests/support/SimProcess.h),
// but each simulator is started natively by sim_broker, whose address KALYX_SIM_BROKER gives.
// Paths such as "/tmp/x" mean the same file on both sides, because wine maps its current
// drive Z: to the Linux root.
#include "SimProcess.h"
#include "TempDir.h"

#include <winsock2.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>

namespace kalyxtest {

namespace {

// One conversation with the broker; the simulator lives as long as the connection.
struct BrokerLink {
    SOCKET sock = INVALID_SOCKET;

    bool open() {
        WSADATA data;
        if (::WSAStartup(MAKEWORD(2, 2), &data) != 0)
            return false;
        const char* address = std::getenv("KALYX_SIM_BROKER"); // "127.0.0.1:PORT"
        if (!address || !std::strchr(address, ':'))
            return false;
        const std::string text = address;
        sockaddr_in peer{};
        peer.sin_family = AF_INET;
        peer.sin_addr.s_addr = ::inet_addr(text.substr(0, text.find(':')).c_str());
        peer.sin_port = ::htons(static_cast<u_short>(std::atoi(text.c_str() + text.find(':') + 1)));
        sock = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        const DWORD limit = 15000; // no answer from the broker fails the test, never hangs it
        ::setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limit),
                     sizeof limit);
        return ::connect(sock, reinterpret_cast<sockaddr*>(&peer), sizeof peer) == 0;
    }

    void close() {
        if (sock != INVALID_SOCKET) {
            ::closesocket(sock);
            ::WSACleanup();
        }
        sock = INVALID_SOCKET;
    }

    bool send(const std::string& line) {
        return ::send(sock, line.data(), static_cast<int>(line.size()), 0) ==
               static_cast<int>(line.size());
    }

    bool readLine(std::string& line) {
        line.clear();
        char c;
        while (::recv(sock, &c, 1, 0) == 1) {
            if (c == '\n')
                return true;
            line += c;
        }
        return false;
    }

    std::string readBytes(std::size_t count) {
        std::string bytes(count, '\0');
        std::size_t done = 0;
        while (done < count) {
            const int n = ::recv(sock, &bytes[done], static_cast<int>(count - done), 0);
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        bytes.resize(done);
        return bytes;
    }
};

// SimProcess.h has no room for a connection: each object's link is kept here.
std::mutex linksMutex;
std::map<const SimProcess*, std::unique_ptr<BrokerLink>> links;

BrokerLink& linkOf(const SimProcess* sim) {
    std::lock_guard<std::mutex> lock(linksMutex);
    std::unique_ptr<BrokerLink>& link = links[sim];
    if (!link)
        link = std::make_unique<BrokerLink>();
    return *link;
}

void forget(const SimProcess* sim) {
    std::lock_guard<std::mutex> lock(linksMutex);
    links.erase(sim);
}

} // namespace

const char* simulatorPath() {
    return "kalyxsim (started by sim_broker)";
}

SimProcess::SimProcess(const std::vector<std::string>& options) {
    BrokerLink* link = &linkOf(this);
    std::string request = "start";
    for (const std::string& option : options)
        request += "\t" + option;
    std::string answer;
    if (!link->open() || !link->send(request + "\n") || !link->readLine(answer) ||
        answer.rfind("port ", 0) != 0)
        return;
    port_ = static_cast<std::uint16_t>(std::atoi(answer.c_str() + 5));
    pid_ = 1; // running; the broker holds the real process id
}

SimProcess::~SimProcess() {
    stop();
    linkOf(this).close();
    forget(this);
}

int SimProcess::stop(int signal) {
    if (pid_ <= 0)
        return -1;
    pid_ = -1;
    BrokerLink& link = linkOf(this);
    std::string answer;
    if (!link.send("stop " + std::to_string(signal) + "\n") || !link.readLine(answer) ||
        answer.rfind("exit ", 0) != 0)
        return -1;
    return std::atoi(answer.c_str() + 5);
}

std::string SimProcess::log() const {
    BrokerLink& link = linkOf(this);
    std::string answer;
    if (!link.send("log\n") || !link.readLine(answer) || answer.rfind("log ", 0) != 0)
        return {};
    return link.readBytes(std::strtoull(answer.c_str() + 4, nullptr, 10));
}

int runSimulator(const std::vector<std::string>&, std::string& output) {
    output = "not available under wine";
    return -1;
}

} // namespace kalyxtest
