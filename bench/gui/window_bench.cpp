// The work behind one plane check box on a default-size two-sided job with Y, M, C and K on both
// sides, against floors measured in the same run: the eight planes copied byte for byte into two
// 32-bit images (the memory floor: same bytes read and written), the same copy transposed with
// plain scalar code, and two new images filled once. A toggle has to stay well under one frame
// (16 ms), under wine too.
#include "KlxPrnTool.h"
#include <kalyxdocument/KlxPrnHolder.h>
#include <kalyxdocument/PrnJobBuilder.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "BenchRatios.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <string>

namespace {

const int cardWidth = 1013;
const int cardHeight = 642;

// Ink that varies per dot and per panel; K covers a band, so both branches of the colour rule run.
QByteArray makePlane(int panel) {
    QByteArray plane(cardWidth * cardHeight, '\0');
    auto* p = reinterpret_cast<unsigned char*>(plane.data());
    for (int x = 0; x < cardWidth; ++x)
        for (int y = 0; y < cardHeight; ++y) {
            const int pos = x * cardHeight + y;
            p[pos] = panel == 3 ? (x % 200 < 40 ? 180 : 0)
                                : static_cast<unsigned char>(x * 7 + y * 3 + panel * 50);
        }
    return plane;
}

struct Job {
    QByteArray bytes;
    QByteArray planes[2][4];
};

const Job& job() {
    static const Job built = [] {
        Job j;
        PrnJobBuilder builder;
        for (int side = 0; side < 2; ++side) {
            pugi::xml_node sideNode = builder.addSide(side);
            for (int i = 0; i < 4; ++i) {
                j.planes[side][i] = makePlane(i + side);
                builder.addPanel(sideNode, "ymck"[i], j.planes[side][i]);
            }
        }
        j.bytes = builder.build();
        return j;
    }();
    return built;
}

// The floor: each dot's four plane bytes packed into one pixel of a row-major image, in strips of
// 16 columns so the reads stay sequential; both sides.
void transposedCopy(const QByteArray (&planes)[4], QImage& image) {
    const unsigned char* s[4];
    for (int i = 0; i < 4; ++i)
        s[i] = reinterpret_cast<const unsigned char*>(planes[i].constData());
    for (int x0 = 0; x0 < cardWidth; x0 += 16) {
        const int n = std::min(16, cardWidth - x0);
        for (int y = 0; y < cardHeight; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y)) + x0;
            for (int c = 0; c < n; ++c) {
                const std::size_t pos = std::size_t(x0 + c) * cardHeight + y;
                row[c] = std::uint32_t(s[0][pos]) | std::uint32_t(s[1][pos]) << 8 |
                         std::uint32_t(s[2][pos]) << 16 | std::uint32_t(s[3][pos]) << 24;
            }
        }
    }
}

void ToggleFloorTransposedCopy(benchmark::State& state) {
    QImage images[2] = {QImage(cardWidth, cardHeight, QImage::Format_ARGB32),
                        QImage(cardWidth, cardHeight, QImage::Format_ARGB32)};
    for (auto _ : state) {
        for (int side = 0; side < 2; ++side)
            transposedCopy(job().planes[side], images[side]);
        benchmark::ClobberMemory();
    }
}

// The memory floor: the four planes of each side laid end to end into that side's image.
void ToggleFloorMemcpy(benchmark::State& state) {
    QImage images[2] = {QImage(cardWidth, cardHeight, QImage::Format_ARGB32),
                        QImage(cardWidth, cardHeight, QImage::Format_ARGB32)};
    for (auto _ : state) {
        for (int side = 0; side < 2; ++side) {
            uchar* out = images[side].bits();
            for (int i = 0; i < 4; ++i) {
                const QByteArray& plane = job().planes[side][i];
                std::memcpy(out + std::size_t(i) * plane.size(), plane.constData(),
                            std::size_t(plane.size()));
            }
        }
        benchmark::ClobberMemory();
    }
}

// Two new side images per toggle, written once: what taking fresh memory for the pictures costs
// (slow under wine, where every page of new memory is expensive); a toggle that writes into the
// pictures it already has stays well below it there.
void ToggleFloorNewImages(benchmark::State& state) {
    for (auto _ : state) {
        for (int side = 0; side < 2; ++side) {
            QImage image(cardWidth, cardHeight, QImage::Format_ARGB32);
            image.fill(0xFFFFFFFFu);
            benchmark::DoNotOptimize(image.constBits());
        }
        benchmark::ClobberMemory();
    }
}

// What refreshImages asks of the document: validate again with the hidden planes, decode both
// sides, take both pictures.
void ToggleDocumentWork(benchmark::State& state) {
    const std::unique_ptr<KlxPrnHolder> holder = KlxPrnHolder::fromBytes(job().bytes);
    if (!holder || !holder->isValid()) {
        state.SkipWithError("the job did not load");
        return;
    }
    bool hideYellow = false;
    for (auto _ : state) {
        hideYellow = !hideYellow;
        const std::string hidden[2] = {hideYellow ? "y" : "", ""};
        holder->validateCard(hidden, true);
        benchmark::DoNotOptimize(holder->sideImage(0));
        benchmark::DoNotOptimize(holder->sideImage(1));
    }
}

// The whole slot in the real window: the document's work plus both pixmaps and labels.
void ToggleWindow(benchmark::State& state) {
    auto window = std::make_unique<KlxPrnTool>();
    QCheckBox* box = window->findChild<QCheckBox*>(QStringLiteral("check_box_y1"));
    if (!box || !box->isChecked()) {
        state.SkipWithError("the window did not open the job");
        return;
    }
    for (auto _ : state)
        box->toggle();
}

BENCHMARK(ToggleFloorMemcpy)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", benchratio::fastest);
BENCHMARK(ToggleFloorTransposedCopy)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", benchratio::fastest);
BENCHMARK(ToggleFloorNewImages)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", benchratio::fastest);
BENCHMARK(ToggleDocumentWork)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", benchratio::fastest);
BENCHMARK(ToggleWindow)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", benchratio::fastest);

class ToggleRatios : public benchratio::RatioReporter {
    void printRatios() override {
        for (const char* floor :
             {"ToggleFloorMemcpy", "ToggleFloorTransposedCopy", "ToggleFloorNewImages"}) {
            ratio(std::string("plane toggle, document work / ") + floor, "ToggleDocumentWork",
                  floor);
            ratio(std::string("plane toggle, whole window slot / ") + floor, "ToggleWindow", floor);
        }
        const auto window = times.find("ToggleWindow");
        if (window != times.end())
            std::cout << "  whole window slot: " << window->second << " ms of a 16 ms frame\n";
    }
};

} // namespace

int main(int argc, char** argv) {
#ifndef Q_OS_WIN // Qt for Windows is built without the offscreen platform: it draws on a display
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    // The window opens the job named on its command line, as on a desktop, and keeps its settings
    // away from the user's.
    QTemporaryDir dir;
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    const QString path = dir.filePath(QStringLiteral("toggle.prn"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(job().bytes) != job().bytes.size())
        return 1;
    file.close();
    static QByteArray programName("window_bench");
    static QByteArray jobArgument = path.toLocal8Bit();
    static char* qtArgv[] = {programName.data(), jobArgument.data(), nullptr};
    static int qtArgc = 2;
    QApplication app(qtArgc, qtArgv);

    ToggleRatios reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
