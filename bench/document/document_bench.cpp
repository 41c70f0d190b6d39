// Hot paths of the document, each against a floor measured in the same run; the ratios are
// printed after the table.
#include "SideDecoder.h"
#include <kalyxdocument/KlxPrnHolder.h>
#include <kalyxdocument/PrnJobBuilder.h>

#include "BenchRatios.h"

#include <prnformat/Crc32.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <iostream>
#include <map>
#include <random>

namespace {

// ---- checksum -------------------------------------------------------------------------------

const std::vector<unsigned char>& bigBuffer() {
    static const std::vector<unsigned char> buffer = [] {
        std::vector<unsigned char> b(100000000);
        std::mt19937 random(1);
        for (auto& x : b)
            x = static_cast<unsigned char>(random());
        return b;
    }();
    return buffer;
}

std::uint64_t readSum(const unsigned char* data, std::size_t size) {
    std::uint64_t sums[4] = {};
    std::size_t i = 0;
    for (; i + 32 <= size; i += 32) {
        for (int lane = 0; lane < 4; ++lane) {
            std::uint64_t v;
            std::memcpy(&v, data + i + 8 * lane, 8);
            sums[lane] += v;
        }
    }
    for (; i < size; ++i)
        sums[0] += data[i];
    return sums[0] + sums[1] + sums[2] + sums[3];
}

void ChecksumFloorRead(benchmark::State& state) {
    const auto& b = bigBuffer();
    for (auto _ : state)
        benchmark::DoNotOptimize(readSum(b.data(), b.size()));
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(b.size()));
}

void ChecksumCrc32(benchmark::State& state) {
    const auto& b = bigBuffer();
    for (auto _ : state)
        benchmark::DoNotOptimize(Orvane::crc32(b.data(), b.size()));
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(b.size()));
}

void ChecksumSlicing16(benchmark::State& state) {
    const auto& b = bigBuffer();
    for (auto _ : state)
        benchmark::DoNotOptimize(
            Orvane::crc32detail::updateSlicing16(0xFFFFFFFFu, b.data(), b.size()));
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(b.size()));
}

void ChecksumTable(benchmark::State& state) {
    const auto& b = bigBuffer();
    for (auto _ : state)
        benchmark::DoNotOptimize(Orvane::crc32detail::updateTable(0xFFFFFFFFu, b.data(), b.size()));
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(b.size()));
}

// ---- decoding -------------------------------------------------------------------------------

struct Planes {
    std::uint32_t width, height;
    QByteArray data[4];
};

Planes makePlanes(std::uint32_t width, std::uint32_t height) {
    Planes p{width, height, {}};
    std::mt19937 random(width);
    for (int i = 0; i < 4; ++i)
        p.data[i] = QByteArray(int(width * height), '\0');
    for (std::uint32_t x = 0; x < width; ++x) {
        for (std::uint32_t y = 0; y < height; ++y) {
            const std::size_t pos = std::size_t(x) * height + y;
            p.data[0][int(pos)] = char(x * 255 / width);
            p.data[1][int(pos)] = char(y * 255 / height);
            p.data[2][int(pos)] = char((x + y) & 255);
        }
    }
    // K constant per 4 x 4 block, inked in about a quarter of them.
    for (std::uint32_t bx = 0; bx < width; bx += 4)
        for (std::uint32_t by = 0; by < height; by += 4)
            if (random() % 4 == 0)
                for (std::uint32_t x = bx; x < std::min(width, bx + 4); ++x)
                    for (std::uint32_t y = by; y < std::min(height, by + 4); ++y)
                        p.data[3][int(std::size_t(x) * height + y)] = char(200);
    return p;
}

// The floor: each dot's four plane bytes packed into one 32-bit pixel of a row-major image,
// in strips of 16 columns so the reads stay sequential.
void transposedCopy(const Planes& p, QImage& image) {
    const std::uint32_t W = p.width, H = p.height;
    const unsigned char* s[4];
    for (int i = 0; i < 4; ++i)
        s[i] = reinterpret_cast<const unsigned char*>(p.data[i].constData());
    for (std::uint32_t x0 = 0; x0 < W; x0 += 16) {
        const std::uint32_t n = std::min<std::uint32_t>(16, W - x0);
        for (std::uint32_t y = 0; y < H; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(int(y))) + x0;
            for (std::uint32_t c = 0; c < n; ++c) {
                const std::size_t pos = std::size_t(x0 + c) * H + y;
                row[c] = std::uint32_t(s[0][pos]) | std::uint32_t(s[1][pos]) << 8 |
                         std::uint32_t(s[2][pos]) << 16 | std::uint32_t(s[3][pos]) << 24;
            }
        }
    }
}

void DecodeFloorTransposedCopy(benchmark::State& state) {
    const Planes p = makePlanes(std::uint32_t(state.range(0)), 642);
    QImage image(int(p.width), int(p.height), QImage::Format_ARGB32);
    for (auto _ : state) {
        transposedCopy(p, image);
        benchmark::ClobberMemory();
    }
}

SideDecodeInput inputFor(const Planes& p, int rects) {
    SideDecodeInput in;
    in.width = p.width;
    in.height = p.height;
    std::mt19937 random(42);
    for (int i = 0; i < 4; ++i) {
        in.planes[i] = reinterpret_cast<const unsigned char*>(p.data[i].constData());
        for (int r = 0; r < rects; ++r) {
            auto rect = [&]() {
                return PanelRect{int(random() % p.width), int(random() % p.height),
                                 int(random() % (p.width / 2)), int(random() % (p.height / 2))};
            };
            in.areas[i].push_back(rect());
            in.holes[i].push_back(rect());
        }
    }
    return in;
}

void DecodeSide(benchmark::State& state) {
    const Planes p = makePlanes(std::uint32_t(state.range(0)), 642);
    const SideDecodeInput in = inputFor(p, 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(decodeSideImage(in));
}

void DecodeSideRects16(benchmark::State& state) {
    const Planes p = makePlanes(std::uint32_t(state.range(0)), 642);
    const SideDecodeInput in = inputFor(p, 16);
    for (auto _ : state)
        benchmark::DoNotOptimize(decodeSideImage(in));
}

// ---- whole load -----------------------------------------------------------------------------

const QByteArray& defaultJob() {
    static const QByteArray job = [] {
        const Planes p = makePlanes(1013, 642);
        PrnJobBuilder builder;
        PrnJobBuilder::setText(builder.cardOptions(), "image-format", "orvane");
        for (int side = 0; side < 2; ++side) {
            pugi::xml_node s = builder.addSide(side);
            const char letters[4] = {'y', 'm', 'c', 'k'};
            for (int i = 0; i < 4; ++i)
                builder.addPanel(s, letters[i], p.data[i], 300);
        }
        return builder.build();
    }();
    return job;
}

void LoadFloor(benchmark::State& state) {
    // One read of the job's bytes and one transposed copy per side.
    const QByteArray& job = defaultJob();
    const Planes p = makePlanes(1013, 642);
    QImage images[2] = {QImage(1013, 642, QImage::Format_ARGB32),
                        QImage(1013, 642, QImage::Format_ARGB32)};
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            readSum(reinterpret_cast<const unsigned char*>(job.constData()), job.size()));
        transposedCopy(p, images[0]);
        transposedCopy(p, images[1]);
        benchmark::ClobberMemory();
    }
}

void LoadCopyBytes(benchmark::State& state) {
    const QByteArray& job = defaultJob();
    std::vector<char> copy(std::size_t(job.size()));
    for (auto _ : state) {
        std::memcpy(copy.data(), job.constData(), copy.size());
        benchmark::ClobberMemory();
    }
}

void LoadWhole(benchmark::State& state) {
    const QByteArray& job = defaultJob();
    for (auto _ : state) {
        auto holder = KlxPrnHolder::fromBytes(job);
        if (!holder->isValid())
            state.SkipWithError("job invalid");
        benchmark::DoNotOptimize(holder);
    }
}

BENCHMARK(ChecksumFloorRead)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", benchratio::fastest);
BENCHMARK(ChecksumCrc32)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", benchratio::fastest);
BENCHMARK(ChecksumSlicing16)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", benchratio::fastest);
BENCHMARK(ChecksumTable)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", benchratio::fastest);
BENCHMARK(DecodeFloorTransposedCopy)
    ->Arg(1013)
    ->Arg(2026)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", benchratio::fastest);
BENCHMARK(DecodeSide)
    ->Arg(1013)
    ->Arg(2026)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", benchratio::fastest);
BENCHMARK(DecodeSideRects16)
    ->Arg(1013)
    ->Arg(2026)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", benchratio::fastest);
BENCHMARK(LoadFloor)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", benchratio::fastest);
BENCHMARK(LoadCopyBytes)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", benchratio::fastest);
BENCHMARK(LoadWhole)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", benchratio::fastest);

class DocumentRatios : public benchratio::RatioReporter {
    void printRatios() override {
        ratio("checksum crc32 (throughput = floor/time)", "ChecksumCrc32", "ChecksumFloorRead",
              true);
        ratio("checksum slicing-by-16 fallback vs table loop (speed-up)", "ChecksumTable",
              "ChecksumSlicing16");
        ratio("checksum table loop (throughput)", "ChecksumTable", "ChecksumFloorRead", true);
        for (const char* w : {"1013", "2026"}) {
            const std::string arg = std::string("/") + w;
            ratio("decode side " + std::string(w) + "x642 / transposed copy", "DecodeSide" + arg,
                  "DecodeFloorTransposedCopy" + arg);
            ratio("decode side " + std::string(w) + "x642, 16+16 rects / transposed copy",
                  "DecodeSideRects16" + arg, "DecodeFloorTransposedCopy" + arg);
            ratio("rectangles' cost (with / without)", "DecodeSideRects16" + arg,
                  "DecodeSide" + arg);
        }
        ratio("whole load / (read + 2 transposed copies)", "LoadWhole", "LoadFloor");
        ratio("whole load / memcpy of the job", "LoadWhole", "LoadCopyBytes");
    }
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    DocumentRatios reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
