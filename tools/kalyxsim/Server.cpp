#include "Server.h"

#include "Log.h"

namespace kalyxsim {

Server::Server(SimPrinter& printer, TcpListener& listener)
    : printer_(printer), listener_(listener) {}

void Server::addPty(io::Handle master, const std::string& name) {
    connections_.push_back(std::make_unique<Connection>(printer_, master, name, false, readRate_));
    pty_ = connections_.back().get();
}

int Server::run(StopSignal& stop) {
    for (;;) {
        Round round = serveRound(&stop, -1);
        if (round.failed)
            return 0;
        if (round.signal != 0)
            return round.signal;
    }
}

void Server::finish(int quietMs) {
    for (;;) {
        Round round = serveRound(nullptr, quietMs);
        if (round.failed || round.idle)
            return;
    }
}

Server::Round Server::serveRound(StopSignal* stop, int maxWaitMs) {
    Round round;
    const auto now = Connection::Clock::now();
    std::vector<io::PollEntry> entries;
    entries.push_back({stop ? stop->handle() : io::noHandle, io::readable, 0});
    const bool paused = now < pausedUntil_;
    entries.push_back({paused ? io::noHandle : listener_.handle(), io::readable, 0});
    int timeout = maxWaitMs;
    if (paused) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(pausedUntil_ - now).count();
        if (timeout < 0 || left < timeout)
            timeout = static_cast<int>(left);
    }
    for (const auto& connection : connections_) {
        entries.push_back({connection->handle(), connection->events(now), 0});
        const int due = connection->msUntilDue(now);
        if (due >= 0 && (timeout < 0 || due < timeout))
            timeout = due;
    }
    std::string problem;
    const int ready = io::poll(entries, timeout, problem);
    printer_.noteWakeup();
    if (ready < 0) {
        logLine("poll: " + problem);
        round.failed = true;
        return round;
    }
    round.idle = ready == 0 && timeout == maxWaitMs;
    if (entries[0].revents & io::readable) {
        std::string name;
        round.signal = stop->take(name);
        if (round.signal == 0) {
            round.failed = true;
            return round;
        }
        logLine("stopping on " + name);
        return round;
    }
    if (entries[1].revents & io::readable)
        acceptAll();
    serveConnections(entries);
    return round;
}

void Server::acceptAll() {
    std::string peer;
    for (;;) {
        const TcpListener::Accepted got = listener_.accept(peer);
        if (got.handle != io::noHandle) {
            if (atLimit_)
                logLine("accepting connections again");
            atLimit_ = false;
            const std::string name = "tcp#" + std::to_string(++accepted_);
            logExchange(name + " connected from " + peer);
            connections_.push_back(
                std::make_unique<Connection>(printer_, got.handle, name, true, readRate_));
            continue;
        }
        if (got.atLimit && !atLimit_) {
            atLimit_ = true;
            logLine("out of file descriptors: new connections are closed at once until some "
                    "end");
        }
        if (got.atLimit && !got.shed)
            // Not even the spare descriptor is left: stop watching the listener for a moment
            // rather than spin on it.
            pausedUntil_ = Connection::Clock::now() + std::chrono::milliseconds(100);
        return;
    }
}

void Server::enforceBufferCap(std::vector<bool>& drop) {
    if (bufferCap_ == 0)
        return;
    std::size_t total = 0;
    for (std::size_t i = 0; i < connections_.size(); ++i)
        if (!drop[i])
            total += connections_[i]->buffered();
    // The largest upload goes first, so a host with a small request is never the one closed
    // while others hold the memory.
    while (total > bufferCap_) {
        std::size_t largest = connections_.size();
        for (std::size_t i = 0; i < connections_.size(); ++i)
            if (!drop[i] && connections_[i].get() != pty_ &&
                (largest == connections_.size() ||
                 connections_[i]->buffered() > connections_[largest]->buffered()))
                largest = i;
        if (largest == connections_.size())
            return;
        const std::size_t held = connections_[largest]->buffered();
        logLine(connections_[largest]->name() + " holds " + std::to_string(held) +
                " bytes of requests, over the cap of " + std::to_string(bufferCap_) +
                " bytes buffered across connections; hanging up");
        drop[largest] = true;
        total -= held;
    }
}

void Server::serveConnections(const std::vector<io::PollEntry>& entries) {
    const auto later = Connection::Clock::now();
    // Only the connections polled; new ones are served from the next round.
    const std::size_t polled = entries.size() - 2;
    std::vector<bool> drop(connections_.size(), false);
    for (std::size_t i = 0; i < polled; ++i) {
        Connection& connection = *connections_[i];
        const short revents = entries[i + 2].revents;
        bool keep = true;
        if ((revents & (io::hungUp | io::failed)) && connection.waitsForPrinter(later))
            // Nothing is read while it waits, so a broken stream would be reported every round.
            keep = false;
        else if (revents & (io::readable | io::hungUp | io::failed))
            keep = connection.onReadable();
        else
            keep = connection.onTurn();
        if (keep)
            keep = connection.onWritable(later);
        if (!keep && &connection == pty_) {
            // The pty outlives its hosts; only a broken master ends it.
            logLine(connection.name() + " failed; no longer served");
            pty_ = nullptr;
        }
        drop[i] = !keep;
    }
    enforceBufferCap(drop);
    for (std::size_t i = connections_.size(); i-- > 0;) {
        if (!drop[i])
            continue;
        if (connections_[i].get() != pty_)
            logExchange(connections_[i]->name() + " closed");
        connections_.erase(connections_.begin() + static_cast<long>(i));
    }
}

} // namespace kalyxsim
