// The USB transport's hot paths over a pseudo-terminal standing in for the device node, each timed
// in the same iteration as its floor and reported as a ratio of medians:
//   response  a 4,101-byte response read one byte per call (as the exchange reads it) vs one
//             plain read() loop taking the same bytes into a buffer;
//   job       an 8 MiB job written with chunk deadlines and the final wait vs plain blocking
//             write() calls of the same bytes.
#include "transport/UsbSession.h"

#include "BenchRatios.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

using namespace benchratio;

// A raw pseudo-terminal pair; `path` names the device end.
struct Pty {
    Pty() {
        char name[128];
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return;
        termios raw;
        ::tcgetattr(slave, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave, TCSANOW, &raw);
        path = name;
    }
    ~Pty() {
        ::close(master);
        ::close(slave);
    }
    int master = -1;
    int slave = -1;
    std::string path;
};

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool readAll(int fd, char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::read(fd, data, size);
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void BM_ResponseRead(benchmark::State& state) {
    Pty pty;
    Orvane::UsbSession session(pty.path);
    session.setReadTimeout(5000);
    std::string frame(4096, 'x');
    frame += std::string(1, '\0') + "CRC!";
    std::vector<char> got(frame.size());
    // A second handle on the device end, blocking, for the floor.
    const int plain = ::open(pty.path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    std::vector<double> subject, floor;
    for (auto _ : state) {
        writeAll(pty.master, frame.data(), frame.size());
        auto t0 = Clock::now();
        for (char& c : got)
            if (!session.read(&c, 1))
                state.SkipWithError("session read failed");
        auto t1 = Clock::now();
        writeAll(pty.master, frame.data(), frame.size());
        auto t2 = Clock::now();
        if (!readAll(plain, got.data(), got.size()))
            state.SkipWithError("plain read failed");
        auto t3 = Clock::now();
        subject.push_back(seconds(t0, t1));
        floor.push_back(seconds(t2, t3));
    }
    ::close(plain);
    reportPairedRatio(state, subject, floor);
}
BENCHMARK(BM_ResponseRead)->MinTime(1.0)->Unit(benchmark::kMicrosecond);

void BM_JobWrite(benchmark::State& state) {
    Pty pty;
    Orvane::UsbSession session(pty.path);
    session.setWriteTimeout(30000);
    const std::vector<char> job(8 * 1024 * 1024, 'j');
    const int plain = ::open(pty.path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    std::atomic<bool> stop{false};
    std::thread printer([&] {
        std::vector<char> sink(1 << 20);
        while (!stop) {
            pollfd p{pty.master, POLLIN, 0};
            if (::poll(&p, 1, 10) > 0 && (p.revents & POLLIN))
                (void)!::read(pty.master, sink.data(), sink.size());
        }
    });
    std::vector<double> subject, floor;
    for (auto _ : state) {
        auto t0 = Clock::now();
        if (!session.write(job.data(), static_cast<int>(job.size())))
            state.SkipWithError("session write failed");
        auto t1 = Clock::now();
        if (!writeAll(plain, job.data(), job.size()))
            state.SkipWithError("plain write failed");
        auto t2 = Clock::now();
        subject.push_back(seconds(t0, t1));
        floor.push_back(seconds(t1, t2));
    }
    stop = true;
    printer.join();
    ::close(plain);
    reportPairedRatio(state, subject, floor);
    state.counters["subject_MBps"] = job.size() / median(subject) / 1e6;
}
BENCHMARK(BM_JobWrite)->Iterations(9)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
