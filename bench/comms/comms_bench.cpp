// The library's hot paths, each timed in the same iteration as its floor and reported as a ratio
// of medians:
//   round_trip  a settings exchange with a loopback peer vs the same bytes as a raw ping-pong;
//   payload     a 100 MiB getReport vs receiving the same frame raw into a new buffer;
//   compose     printCardToMem of a two-sided four-plane job vs copying the same bytes.
#include <prnformat/Crc32.h>

#include <kalyxcomms/kalyxcomms.h>

#include "BenchRatios.h"

#include <benchmark/benchmark.h>

#include "LoopbackPeer.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace benchratio;
using benchpeer::Peer;
using benchpeer::recvAll;
using benchpeer::sendAll;

std::string frame(const std::string& xml, const std::string& payload) {
    std::string bytes = xml;
    bytes.push_back('\0');
    bytes += payload;
    unsigned char crc[4];
    Orvane::storeCrcLe(Orvane::crc32(bytes.data(), bytes.size()), crc);
    bytes.append(reinterpret_cast<char*>(crc), 4);
    return bytes;
}

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
    const benchpeer::RawSocket raw = peer.connectRaw();
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
    benchpeer::closeRaw(raw);
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
    const benchpeer::RawSocket raw = peer.connectRaw();
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
    benchpeer::closeRaw(raw);
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
    // Composing in memory writes nothing: the file printer only gives the call a printer.
    const std::string path =
        (std::filesystem::temp_directory_path() / "kalyxcomms-bench-compose.prn").string();
    auto printer = comms.getFilePrinter(path);
    std::vector<unsigned char> job;
    if (!printer || !printer->printCardToMem(options, images, {}, job)) {
        state.SkipWithError("composition failed");
        printer.reset();
        std::remove(path.c_str());
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
    printer.reset(); // the file goes once nothing holds it open (Windows)
    std::remove(path.c_str());
    reportPairedRatio(state, subject, floor);
    state.counters["job_bytes"] = static_cast<double>(same.size());
}
BENCHMARK(BM_PrintCardToMem)->MinTime(1.0)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
