// The library's hot paths on Windows, each timed in the same iteration as its floor and reported
// as a ratio of medians, as on Linux (bench/comms, bench/usb):
//   round_trip  a settings exchange with a loopback peer vs the same bytes as a raw ping-pong;
//   payload     a 100 MiB getReport vs receiving the same frame raw into a new buffer;
//   compose     printCardToMem of a two-sided four-plane job vs copying the same bytes;
//   response    a 4,101-byte response read one byte per call over USB vs one plain ReadFile loop;
//   job         an 8 MiB job written over USB vs plain blocking WriteFile calls.
// Under wine these figures describe wine's WinSock and named pipes, not Windows.
#include "PipePrinter.h"
#include "WireFrame.h"

#include "transport/UsbSession.h"

#include <kalyxcomms/kalyxcomms.h>

#include "BenchRatios.h"

#include <benchmark/benchmark.h>

#include <winsock2.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace benchratio;

bool sendAll(SOCKET s, const char* data, std::size_t size) {
    while (size > 0) {
        const int n = ::send(s, data, static_cast<int>(std::min<std::size_t>(size, 1 << 30)), 0);
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool recvAll(SOCKET s, char* data, std::size_t size) {
    while (size > 0) {
        const int n = ::recv(s, data, static_cast<int>(std::min<std::size_t>(size, 1 << 30)), 0);
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void noDelay(SOCKET s) {
    const BOOL on = TRUE;
    ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
}

// Answers every request (text, 0x00, no payload, CRC) with the same bytes. One thread serves
// every connection, so the library and the raw floor meet the same peer.
class Peer {
public:
    explicit Peer(std::string reply) : reply(std::move(reply)) {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
        listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
        int length = sizeof address;
        ::bind(listener, reinterpret_cast<sockaddr*>(&address), length);
        ::listen(listener, 4);
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
        port = ::ntohs(address.sin_port);
        thread = std::thread([this] { serve(); });
    }
    ~Peer() {
        stop = true;
        thread.join();
        ::closesocket(listener);
        ::WSACleanup();
    }

    SOCKET connectRaw() const {
        const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
        address.sin_port = ::htons(port);
        ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
        noDelay(s);
        return s;
    }

    std::size_t replySize() const { return reply.size(); }

    std::uint16_t port = 0;
    std::string firstRequest;
    std::atomic<bool> haveFirst{false};

private:
    struct Connection {
        SOCKET s;
        std::vector<char> buffer;
        std::size_t have;
    };

    void serve() {
        std::vector<Connection> connections;
        while (!stop) {
            std::vector<WSAPOLLFD> fds(1);
            fds[0].fd = listener;
            fds[0].events = POLLRDNORM;
            for (const Connection& c : connections) {
                WSAPOLLFD p{};
                p.fd = c.s;
                p.events = POLLRDNORM;
                fds.push_back(p);
            }
            if (::WSAPoll(fds.data(), static_cast<ULONG>(fds.size()), 20) <= 0)
                continue;
            if (fds[0].revents) {
                const SOCKET s = ::accept(listener, nullptr, nullptr);
                if (s != INVALID_SOCKET) {
                    noDelay(s);
                    connections.push_back({s, std::vector<char>(64 * 1024), 0});
                }
            }
            for (std::size_t i = 0; i + 1 < fds.size(); ++i) {
                if (fds[i + 1].revents && !answer(connections[i])) {
                    ::closesocket(connections[i].s);
                    connections[i].s = INVALID_SOCKET;
                }
            }
            std::vector<Connection> open;
            for (Connection& c : connections)
                if (c.s != INVALID_SOCKET)
                    open.push_back(std::move(c));
            connections.swap(open);
        }
        for (const Connection& c : connections)
            ::closesocket(c.s);
    }

    bool answer(Connection& c) {
        const int n =
            ::recv(c.s, c.buffer.data() + c.have, static_cast<int>(c.buffer.size() - c.have), 0);
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
            if (!sendAll(c.s, reply.data(), reply.size()))
                return false;
        }
    }

    std::string reply;
    SOCKET listener = INVALID_SOCKET;
    std::atomic<bool> stop{false};
    std::thread thread;
};

void BM_SmallCommandRoundTrip(benchmark::State& state) {
    Peer peer(
        kalyxtest::frame("<prn><get-response><param id=\"id-manufacturer\">Orvane</param><param "
                         "id=\"id-model-name\">Kalyx K2</param><param id=\"id-printer-serial\">"
                         "KX2-000123</param></get-response><binary-size>0</binary-size></prn>"));
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
    const SOCKET raw = peer.connectRaw();
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
    ::closesocket(raw);
    reportPairedRatio(state, subject, floor);
}
BENCHMARK(BM_SmallCommandRoundTrip)->MinTime(1.0)->Unit(benchmark::kMicrosecond);

void BM_LargePayload(benchmark::State& state) {
    const std::size_t size = 104857600;
    std::string payload(size, '\0');
    for (std::size_t i = 0; i < size; i += 4096)
        payload[i] = static_cast<char>(i >> 12);
    Peer peer(kalyxtest::frame(
        "<prn><get-report-response/><binary-size>104857600</binary-size></prn>", payload));
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
    const SOCKET raw = peer.connectRaw();
    std::vector<double> subject, floor;
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
        if (!ok) {
            state.SkipWithError("exchange failed");
            break;
        }
        subject.push_back(seconds(t0, t1));
        floor.push_back(seconds(t1, t2));
    }
    ::closesocket(raw);
    reportPairedRatio(state, subject, floor);
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
    char folder[MAX_PATH], path[MAX_PATH];
    ::GetTempPathA(MAX_PATH, folder);
    ::GetTempFileNameA(folder, "kxb", 0, path);
    auto printer = comms.getFilePrinter(path);
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
    printer.reset();
    ::DeleteFileA(path);
    reportPairedRatio(state, subject, floor);
}
BENCHMARK(BM_PrintCardToMem)->MinTime(1.0)->Unit(benchmark::kMillisecond);

// A synchronous client handle on a pipe, for the floors.
HANDLE plainClient(const std::string& path) {
    return ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                         nullptr);
}

void BM_UsbResponseRead(benchmark::State& state) {
    wintest::PipeEnd device(wintest::uniquePipePath("bench"));
    wintest::PipeEnd plain(wintest::uniquePipePath("floor"));
    Orvane::UsbSession session(device.path());
    const HANDLE floorHandle = plainClient(plain.path());
    if (!session.isOpen() || floorHandle == INVALID_HANDLE_VALUE || !device.waitConnected(2000) ||
        !plain.waitConnected(2000)) {
        state.SkipWithError("no pipe");
        return;
    }
    session.setReadTimeout(5000);
    std::string frame(4096, 'x');
    frame += std::string(1, '\0') + "CRC!";
    std::vector<char> got(frame.size());
    std::vector<double> subject, floor;
    for (auto _ : state) {
        device.send(frame);
        auto t0 = Clock::now();
        for (char& c : got)
            if (!session.read(&c, 1))
                state.SkipWithError("session read failed");
        auto t1 = Clock::now();
        plain.send(frame);
        auto t2 = Clock::now();
        std::size_t have = 0;
        while (have < got.size()) {
            DWORD n = 0;
            if (!::ReadFile(floorHandle, got.data() + have, static_cast<DWORD>(got.size() - have),
                            &n, nullptr) ||
                n == 0) {
                state.SkipWithError("plain read failed");
                break;
            }
            have += n;
        }
        auto t3 = Clock::now();
        subject.push_back(seconds(t0, t1));
        floor.push_back(seconds(t2, t3));
    }
    ::CloseHandle(floorHandle);
    reportPairedRatio(state, subject, floor);
}
BENCHMARK(BM_UsbResponseRead)->MinTime(1.0)->Unit(benchmark::kMicrosecond);

void BM_UsbJobWrite(benchmark::State& state) {
    wintest::PipeEnd device(wintest::uniquePipePath("bench"));
    wintest::PipeEnd plain(wintest::uniquePipePath("floor"));
    Orvane::UsbSession session(device.path());
    const HANDLE floorHandle = plainClient(plain.path());
    if (!session.isOpen() || floorHandle == INVALID_HANDLE_VALUE || !device.waitConnected(2000) ||
        !plain.waitConnected(2000)) {
        state.SkipWithError("no pipe");
        return;
    }
    session.setWriteTimeout(30000);
    const std::vector<char> job(8 * 1024 * 1024, 'j');
    std::atomic<bool> stop{false};
    // The printer takes whatever arrives on either pipe.
    std::thread printer([&] {
        while (!stop) {
            device.receive(1 << 20, 5);
            plain.receive(1 << 20, 5);
        }
    });
    std::vector<double> subject, floor;
    for (auto _ : state) {
        auto t0 = Clock::now();
        if (!session.write(job.data(), static_cast<int>(job.size())))
            state.SkipWithError("session write failed");
        auto t1 = Clock::now();
        std::size_t done = 0;
        while (done < job.size()) {
            DWORD n = 0;
            if (!::WriteFile(floorHandle, job.data() + done, static_cast<DWORD>(job.size() - done),
                             &n, nullptr)) {
                state.SkipWithError("plain write failed");
                break;
            }
            done += n;
        }
        auto t2 = Clock::now();
        subject.push_back(seconds(t0, t1));
        floor.push_back(seconds(t1, t2));
    }
    stop = true;
    printer.join();
    ::CloseHandle(floorHandle);
    reportPairedRatio(state, subject, floor);
    state.counters["subject_MBps"] = job.size() / median(subject) / 1e6;
}
BENCHMARK(BM_UsbJobWrite)->Iterations(9)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
