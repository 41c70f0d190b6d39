// sim_broker: starts simulators for tests that run under wine and cannot start Linux programs
// themselves. It listens on 127.0.0.1, prints "broker 127.0.0.1:PORT", and serves each connection
// on its own thread, one line per request:
//   start<TAB>OPTION<TAB>...  ->  "port N"   (a simulator with these options; "failed" if none)
//   log                       ->  "log N" and N bytes of the simulator's stderr
//   stop SIGNAL               ->  "exit CODE"
// A connection's simulator is stopped (by its PID) when the connection ends. The broker stops on
// SIGTERM or SIGINT, or after --lifetime seconds (default 900), stopping every simulator first.
#include "SimProcess.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

bool sendAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool readLine(int fd, std::string& line) {
    line.clear();
    char c;
    while (::recv(fd, &c, 1, 0) == 1) {
        if (c == '\n')
            return true;
        line += c;
    }
    return false;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t at = 0;
    for (;;) {
        const std::size_t next = text.find(separator, at);
        parts.push_back(text.substr(at, next - at));
        if (next == std::string::npos)
            return parts;
        at = next + 1;
    }
}

void serve(int fd) {
    std::unique_ptr<kalyxtest::SimProcess> sim;
    std::string line;
    while (readLine(fd, line)) {
        std::vector<std::string> words = split(line, '\t');
        if (words[0] == "start") {
            words.erase(words.begin());
            sim = std::make_unique<kalyxtest::SimProcess>(words);
            if (!sendAll(fd, sim->started() ? "port " + std::to_string(sim->port()) + "\n"
                                            : std::string("failed\n")))
                break;
        } else if (words[0] == "log" && sim) {
            const std::string log = sim->log();
            if (!sendAll(fd, "log " + std::to_string(log.size()) + "\n" + log))
                break;
        } else if (line.rfind("stop ", 0) == 0 && sim) {
            const int code = sim->stop(std::atoi(line.c_str() + 5));
            if (!sendAll(fd, "exit " + std::to_string(code) + "\n"))
                break;
        } else {
            sendAll(fd, "unknown\n");
        }
    }
    sim.reset();
}

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) {
    stopRequested = 1;
}

} // namespace

int main(int argc, char** argv) {
    long lifetime = 900;
    if (argc == 3 && std::string(argv[1]) == "--lifetime")
        lifetime = std::atol(argv[2]);
    std::signal(SIGPIPE, SIG_IGN);
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener, 16) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::perror("sim_broker");
        return 1;
    }
    std::printf("broker 127.0.0.1:%u\n", static_cast<unsigned>(ntohs(address.sin_port)));
    std::fflush(stdout);

    std::signal(SIGTERM, requestStop);
    std::signal(SIGINT, requestStop);
    std::vector<int> connections;
    std::vector<std::thread> threads;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(lifetime);
    while (!stopRequested && std::chrono::steady_clock::now() < end) {
        pollfd fd{listener, POLLIN, 0};
        if (::poll(&fd, 1, 200) <= 0 || !(fd.revents & POLLIN))
            continue;
        const int connection = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection >= 0) {
            connections.push_back(connection);
            threads.emplace_back(serve, connection);
        }
    }
    // Ends every conversation, which stops its simulator.
    for (const int connection : connections)
        ::shutdown(connection, SHUT_RDWR);
    for (std::thread& thread : threads)
        thread.join();
    for (const int connection : connections)
        ::close(connection);
    return 0;
}
