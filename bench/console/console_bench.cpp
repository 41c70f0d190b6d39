// The picture-to-planes conversion of `kalyxprn compose`, against a floor measured in the same
// run: copying as many bytes as the conversion reads and writes, and reordering one plane from
// rows to columns. The ratios are printed after the table.
#include "PictureToPlanes.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <iostream>
#include <map>
#include <random>
#include <string>

namespace {

constexpr int W = 1013, H = 642;

const QImage& picture() {
    static const QImage image = [] {
        QImage p(W, H, QImage::Format_RGB32);
        std::mt19937 random(7);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                // A photo-like mix with some true black, so both branches are taken.
                p.setPixel(x, y, random() % 8 == 0 ? qRgb(0, 0, 0) : QRgb(random()));
        return p;
    }();
    return image;
}

void FloorCopy(benchmark::State& state) {
    const std::size_t bytes = std::size_t(W) * H * 4;
    std::vector<unsigned char> from(bytes, 1), to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

// The reordering alone: one byte per dot from the row-major picture into a column-major plane.
void FloorTranspose(benchmark::State& state) {
    std::vector<unsigned char> plane(std::size_t(W) * H);
    for (auto _ : state) {
        for (int x = 0; x < W; ++x)
            for (int y = 0; y < H; ++y)
                plane[std::size_t(x) * H + std::size_t(y)] =
                    static_cast<unsigned char>(picture().constScanLine(y)[4 * x]);
        benchmark::DoNotOptimize(plane.data());
    }
}

void PictureToPlanes(benchmark::State& state) {
    std::array<std::vector<unsigned char>, 4> planes;
    cli::toPlanes(picture(), 0, false, planes); // sized once, as a second side would find them
    for (auto _ : state) {
        cli::toPlanes(picture(), 0, false, planes);
        benchmark::DoNotOptimize(planes[0].data());
    }
}

// Collects the mean time per iteration of every benchmark for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

BENCHMARK(FloorCopy)->Unit(benchmark::kMicrosecond);
BENCHMARK(FloorTranspose)->Unit(benchmark::kMicrosecond);
BENCHMARK(PictureToPlanes)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double floor = reporter.times["FloorCopy"];
    if (floor > 0 && reporter.times.count("PictureToPlanes"))
        std::cout << "picture to planes, 1013 x 642: " << reporter.times["PictureToPlanes"] / floor
                  << " x the copy floor, "
                  << reporter.times["PictureToPlanes"] / reporter.times["FloorTranspose"]
                  << " x one plane's reordering\n";
    return 0;
}
