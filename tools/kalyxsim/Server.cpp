#include "Server.h"

#include "Log.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace kalyxsim {

Server::Server(SimPrinter& printer, TcpListener& listener)
    : printer_(printer), listener_(listener) {}

void Server::addPty(int masterFd, const std::string& name) {
    connections_.push_back(std::make_unique<Connection>(masterFd, name, false, readRate_));
    pty_ = connections_.back().get();
}

int Server::run(int signalFd) {
    for (;;) {
        Round round = serveRound(signalFd, -1);
        if (round.failed)
            return 0;
        if (round.signal != 0)
            return round.signal;
    }
}

void Server::finish(int quietMs) {
    for (;;) {
        Round round = serveRound(-1, quietMs);
        if (round.failed || round.idle)
            return;
    }
}

Server::Round Server::serveRound(int signalFd, int maxWaitMs) {
    Round round;
    const auto now = Connection::Clock::now();
    std::vector<pollfd> fds;
    fds.push_back({signalFd, POLLIN, 0});
    fds.push_back({listener_.fd(), POLLIN, 0});
    int timeout = maxWaitMs;
    for (const auto& connection : connections_) {
        fds.push_back({connection->fd(), connection->events(now), 0});
        const int due = connection->msUntilDue(now);
        if (due >= 0 && (timeout < 0 || due < timeout))
            timeout = due;
    }
    const int ready = ::poll(fds.data(), fds.size(), timeout);
    if (ready < 0 && errno != EINTR) {
        logLine(std::string("poll: ") + std::strerror(errno));
        round.failed = true;
        return round;
    }
    round.idle = ready == 0 && timeout == maxWaitMs;
    if (fds[0].revents & POLLIN) {
        signalfd_siginfo info{};
        if (::read(signalFd, &info, sizeof info) != sizeof info) {
            round.failed = true;
            return round;
        }
        round.signal = static_cast<int>(info.ssi_signo);
        logLine(std::string("stopping on ") + ::strsignal(round.signal));
        return round;
    }
    if (fds[1].revents & POLLIN) {
        std::string peer;
        for (int fd; (fd = listener_.accept(peer)) >= 0;) {
            const std::string name = "tcp#" + std::to_string(++accepted_);
            logExchange(name + " connected from " + peer);
            connections_.push_back(std::make_unique<Connection>(fd, name, true, readRate_));
        }
    }
    serveConnections(fds);
    return round;
}

void Server::serveConnections(const std::vector<pollfd>& fds) {
    const auto later = Connection::Clock::now();
    // Only the connections polled; new ones are served from the next round.
    const std::size_t polled = fds.size() - 2;
    std::vector<bool> drop(connections_.size(), false);
    for (std::size_t i = 0; i < polled; ++i) {
        Connection& connection = *connections_[i];
        const short revents = fds[i + 2].revents;
        bool keep = true;
        if (revents & (POLLIN | POLLHUP | POLLERR))
            keep = connection.onReadable(printer_);
        if (keep)
            keep = connection.onWritable(later);
        if (!keep && &connection == pty_) {
            // The pty outlives its hosts; only a broken master ends it.
            logLine(connection.name() + " failed; no longer served");
            pty_ = nullptr;
        }
        drop[i] = !keep;
    }
    for (std::size_t i = connections_.size(); i-- > 0;) {
        if (!drop[i])
            continue;
        if (connections_[i].get() != pty_)
            logExchange(connections_[i]->name() + " closed");
        connections_.erase(connections_.begin() + static_cast<long>(i));
    }
}

} // namespace kalyxsim
