// The library's hot paths, each timed in the same iteration as its floor and reported as a ratio
// of medians:
//   round_trip  a settings exchange with a loopback peer vs the same bytes as a raw ping-pong;
//   payload     a 100 MiB getReport vs receiving the same frame raw into a new buffer;
//   compose     printCardToMem of a two-sided four-plane job vs copying the same bytes.
#include <prnformat/Crc32.h>

#include <kalyxcomms/kalyxcomms.h>

#include "BenchRatios.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace benchratio;

bool sendAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool recvAll(int fd, char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::recv(fd, data, size, 0);
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string frame(const std::string& xml, const std::string& payload) {
    std::string bytes = xml;
    bytes.push_back('\0');
    bytes += payload;
    unsigned char crc[4];
    Orvane::storeCrcLe(Orvane::crc32(bytes.data(), bytes.size()), crc);
    bytes.append(reinterpret_cast<char*>(crc), 4);
    return bytes;
}

// Answers every request (text, 0x00, no payload, CRC) with the same bytes until the client
// closes. The first request is kept so the raw floor can send exactly the same bytes. One thread
// serves every connection, so the library and the raw floor meet the same peer, woken the same
// way (two peer threads get placed differently by the scheduler and skew the ratio).
class Peer {
public:
    explicit Peer(std::string reply) : reply(std::move(reply)) {
        listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener, 4);
        socklen_t length = sizeof address;
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
        ::pipe2(stopPipe, O_CLOEXEC);
        thread = std::thread([this] { serve(); });
    }
    ~Peer() {
        ::write(stopPipe[1], "x", 1);
        thread.join();
        ::close(listener);
        ::close(stopPipe[0]);
        ::close(stopPipe[1]);
    }

    int connectRaw() const {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        return fd;
    }

    std::size_t replySize() const { return reply.size(); }

    std::uint16_t port = 0;
    std::string firstRequest;
    std::atomic<bool> haveFirst{false};

private:
    struct Connection {
        int fd;
        std::vector<char> buffer;
        std::size_t have;
    };

    void serve() {
        std::vector<Connection> connections;
        for (;;) {
            std::vector<pollfd> fds{{stopPipe[0], POLLIN, 0}, {listener, POLLIN, 0}};
            for (const Connection& c : connections)
                fds.push_back({c.fd, POLLIN, 0});
            if (::poll(fds.data(), fds.size(), -1) < 0)
                continue;
            if (fds[0].revents)
                break;
            if (fds[1].revents) {
                const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
                if (fd >= 0) {
                    const int on = 1;
                    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
                    connections.push_back({fd, std::vector<char>(64 * 1024), 0});
                }
            }
            for (std::size_t i = 0; i + 2 < fds.size(); ++i) {
                if (fds[i + 2].revents && !answer(connections[i])) {
                    ::close(connections[i].fd);
                    connections[i].fd = -1;
                }
            }
            connections.erase(std::remove_if(connections.begin(), connections.end(),
                                             [](const Connection& c) { return c.fd < 0; }),
                              connections.end());
        }
        for (const Connection& c : connections)
            ::close(c.fd);
    }

    // Reads what arrived and answers every complete request; false when the client has gone.
    bool answer(Connection& c) {
        const ssize_t n = ::recv(c.fd, c.buffer.data() + c.have, c.buffer.size() - c.have, 0);
        if (n <= 0)
            return false;
        c.have += static_cast<std::size_t>(n);
        for (;;) {
            const void* at = std::memchr(c.buffer.data(), 0, c.have);
            if (!at)
                return true;
            const std::size_t nul = static_cast<const char*>(at) - c.buffer.data();
            if (c.have < nul + 5)
                return true;
            if (!haveFirst) {
                firstRequest.assign(c.buffer.data(), nul + 5);
                haveFirst = true;
            }
            std::memmove(c.buffer.data(), c.buffer.data() + nul + 5, c.have - nul - 5);
            c.have -= nul + 5;
            if (!sendAll(c.fd, reply.data(), reply.size()))
                return false;
        }
    }

    std::string reply;
    int listener = -1;
    int stopPipe[2] = {-1, -1};
    std::thread thread;
};

void BM_SmallCommandRoundTrip(benchmark::State& state) {
    Peer peer(frame("<prn><get-response><param id=\"id-manufacturer\">Orvane</param><param "
                    "id=\"id-model-name\">Kalyx K2</param><param id=\"id-printer-serial\">"
                    "KX2-000123</param></get-response><binary-size>0</binary-size></prn>",
                    {}));
    Orvane::Comms comms;
    auto printer = comms.getEthernetPrinter("127.0.0.1", static_cast<Orvane::Port>(peer.port));
    std::map<std::string, std::string> settings = {
        {"id-manufacturer", ""}, {"id-model-name", ""}, {"id-printer-serial", ""}};
    std::string err;
    if (!printer || !printer->readSettings(settings, err) || settings["id-model-name"].empty()) {
        state.SkipWithError("exchange failed");
        return;
    }
    const std::string request = peer.firstRequest;
    const int raw = peer.connectRaw();
    std::vector<char> readBuffer(peer.replySize());
    std::vector<double> subject, floor;
    for (auto _ : state) {
        auto t0 = Clock::now();
        bool ok = printer->readSettings(settings, err);
        auto t1 = Clock::now();
        ok = ok && sendAll(raw, request.data(), request.size()) &&
             recvAll(raw, readBuffer.data(), readBuffer.size());
        auto t2 = Clock::now();
        if (!ok) {
            state.SkipWithError("exchange failed");
            break;
        }
        subject.push_back(seconds(t0, t1));
        floor.push_back(seconds(t1, t2));
    }
    ::close(raw);
    reportPairedRatio(state, subject, floor);
}
BENCHMARK(BM_SmallCommandRoundTrip)->MinTime(1.0)->Unit(benchmark::kMicrosecond);

void BM_LargePayload(benchmark::State& state) {
    const std::size_t size = 104857600;
    std::string payload(size, '\0');
    for (std::size_t i = 0; i < size; i += 4096)
        payload[i] = static_cast<char>(i >> 12);
    Peer peer(
        frame("<prn><get-report-response/><binary-size>104857600</binary-size></prn>", payload));
    std::string().swap(payload);
    Orvane::Comms comms;
    auto printer = comms.getEthernetPrinter("127.0.0.1", static_cast<Orvane::Port>(peer.port));
    std::vector<unsigned char> report;
    std::string err;
    if (!printer || !printer->getReport(report, err) || report.size() != size) {
        state.SkipWithError("exchange failed");
        return;
    }
    const std::string request = peer.firstRequest;
    const std::size_t total = peer.replySize();
    const int raw = peer.connectRaw();
    // A ready, touched buffer: the floor pays neither allocation nor page faults.
    std::vector<char> sink(total, 1);

    // Two floors: the same frame received raw into a fresh buffer (the kernel supplies and
    // zeroes its pages, as for any new buffer), and into the ready buffer above.
    std::vector<double> subject, floor, touched;
    for (auto _ : state) {
        report = {};
        auto t0 = Clock::now();
        bool ok = printer->getReport(report, err) && report.size() == size;
        auto t1 = Clock::now();
        {
            std::unique_ptr<char[]> fresh(new char[total]);
            ok = ok && sendAll(raw, request.data(), request.size()) &&
                 recvAll(raw, fresh.get(), total);
        }
        auto t2 = Clock::now();
        ok = ok && sendAll(raw, request.data(), request.size()) && recvAll(raw, sink.data(), total);
        auto t3 = Clock::now();
        if (!ok) {
            state.SkipWithError("exchange failed");
            break;
        }
        subject.push_back(seconds(t0, t1));
        floor.push_back(seconds(t1, t2));
        touched.push_back(seconds(t2, t3));
    }
    ::close(raw);
    reportPairedRatio(state, subject, floor);
    state.counters["touched_floor_us"] = median(touched) * 1e6;
    state.counters["ratio_touched"] = median(subject) / median(touched);
    state.counters["subject_MBps"] = size / median(subject) / 1e6;
}
BENCHMARK(BM_LargePayload)->Iterations(7)->Unit(benchmark::kMillisecond);

void BM_PrintCardToMem(benchmark::State& state) {
    Orvane::PrintOptions options;
    options.cardOptions = {{"height", "642"}, {"image-format", "orvane"}, {"width", "1013"}};
    Orvane::ImageData images;
    for (int side = 0; side < 2; ++side) {
        options.sides[side].emplace();
        for (int panel = 0; panel < 4; ++panel) {
            (*options.sides[side])[panel] = Orvane::OptionMap{{"x-density", "300"}};
            images.planes[side][panel].assign(1013 * 642, static_cast<unsigned char>(panel * 60));
        }
    }
    Orvane::Comms comms;
    char path[] = "/tmp/kalyxcomms-bench-XXXXXX";
    const int fd = ::mkstemp(path);
    auto printer = comms.getFilePrinter(path);
    ::close(fd);
    ::unlink(path);
    std::vector<unsigned char> job;
    if (!printer || !printer->printCardToMem(options, images, {}, job)) {
        state.SkipWithError("composition failed");
        return;
    }
    const std::vector<unsigned char> same = job;

    std::vector<double> subject, floor;
    for (auto _ : state) {
        auto t0 = Clock::now();
        std::vector<unsigned char> out;
        printer->printCardToMem(options, images, {}, out);
        benchmark::DoNotOptimize(out.data());
        auto t1 = Clock::now();
        std::vector<unsigned char> copy;
        copy.reserve(same.size());
        copy.insert(copy.end(), same.begin(), same.end());
        benchmark::DoNotOptimize(copy.data());
        auto t2 = Clock::now();
        subject.push_back(seconds(t0, t1));
        floor.push_back(seconds(t1, t2));
    }
    reportPairedRatio(state, subject, floor);
    state.counters["job_bytes"] = static_cast<double>(same.size());
}
BENCHMARK(BM_PrintCardToMem)->MinTime(1.0)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
