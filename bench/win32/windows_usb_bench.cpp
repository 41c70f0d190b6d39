// The library's USB path on Windows, each timed in the same iteration as its floor and reported
// as a ratio of medians, as on Linux (bench/usb; the network and composing benchmarks of
// bench/comms build for Windows as they are):
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
