// One two-sided card of the example badge made into a job (the rows in turn), against a floor
// measured in the same run: drawing the same rows' finished pictures with QPainter, splitting
// them into planes and writing the job's bytes. Also cards per second, and that checking a
// 10,000-row batch keeps its memory flat (rows are streamed). The ratios are printed after the
// table.
#include <kalyxdocument/PrnJobBuilder.h>

#include <carddesign/CardBatch.h>
#include <carddesign/CardDesignFile.h>
#include <carddesign/CardUnits.h>
#include <carddesign/CsvReader.h>
#include <prnformat/JobFrame.h>

#include "PictureFiles.h"
#include "SideCanvas.h"

#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <vector>

namespace {

const QString example = QStringLiteral(EXAMPLE_DIR);

// The example's design and all its rows: each iteration makes the next row's card, so nothing
// that differs between rows can be carried from one card to the next.
struct Example {
    CardDesign design;
    CsvReader reader;
    std::vector<CsvRow> rows;
    Example() {
        design = *loadCardDesign(example + QStringLiteral("/badge.card.json")).design;
        reader.open(example + QStringLiteral("/people.csv"));
        for (CsvRow row; reader.next(row) == CsvReader::Row;)
            rows.push_back(row);
    }
    CardTemplateContext context(std::size_t n) const {
        return {&rows[n % rows.size()].record, QStringLiteral("2026-12-09")};
    }
};

Example& badge() {
    static Example e;
    return e;
}

void ComposeCard(benchmark::State& state) {
    CardRenderer renderer(badge().design);
    std::size_t n = 0;
    for (auto _ : state) {
        const CardRenderer::Card card =
            renderer.render(badge().context(n++), example, CardRenderer::Job);
        benchmark::DoNotOptimize(card.job.constData());
        if (card.job.isEmpty())
            state.SkipWithError("a row of the example made no job");
    }
    state.SetItemsProcessed(state.iterations());
}

// The work no renderer can skip, done the cheapest way, for the same rows: the row's two sides,
// already finished, drawn with QPainter onto reused canvases with the row's photo decoded and
// drawn into its box, the row's K copied in, split into Y, M, C and K planes by the renderer's
// own splitter, and framed as a job (header, planes straight from where they lie, checksum).
void FloorDrawAndWrite(benchmark::State& state) {
    const Example& e = badge();
    const CardObject& photo =
        *std::find_if(e.design.front->objects.begin(), e.design.front->objects.end(),
                      [](const CardObject& o) { return o.type == CardObjectType::Image; });
    const int x0 = mmToDots(photo.box.x), y0 = mmToDots(photo.box.y);
    const QRect photoBox(x0, y0, mmToDots(photo.box.x + photo.box.w) - x0,
                         mmToDots(photo.box.y + photo.box.h) - y0);
    // Each row's finished sides, its K (where the finished side is black) and its photo's file.
    struct Finished {
        std::array<QImage, 2> sides, k;
        QString photo;
    };
    std::vector<Finished> rows;
    CardRenderer renderer(e.design);
    for (std::size_t n = 0; n < e.rows.size(); ++n) {
        Finished f;
        f.sides = renderer.render(e.context(n), example, CardRenderer::Pictures).sides;
        for (int s = 0; s < 2; ++s) {
            const QImage& side = f.sides[std::size_t(s)];
            QImage& k = f.k[std::size_t(s)];
            k = QImage(side.size(), QImage::Format_Alpha8);
            for (int y = 0; y < side.height(); ++y)
                for (int x = 0; x < side.width(); ++x)
                    k.scanLine(y)[x] = side.pixel(x, y) == qRgb(0, 0, 0) ? 255 : 0;
        }
        f.photo = example + QLatin1Char('/') + expandCardTemplate(photo.src, e.context(n));
        rows.push_back(f);
    }
    const QSize size = rows[0].sides[0].size();
    std::array<carddesign::SideCanvas, 2> canvases{carddesign::SideCanvas(size),
                                                   carddesign::SideCanvas(size)};
    std::array<std::array<std::vector<unsigned char>, 4>, 2> planes;
    std::size_t n = 0;
    for (auto _ : state) {
        const Finished& row = rows[n++ % rows.size()];
        PrnJobBuilder job;
        std::uint64_t payload = 0;
        for (int s = 0; s < 2; ++s) {
            carddesign::SideCanvas& canvas = canvases[std::size_t(s)];
            QPainter painter(&canvas.colour());
            painter.drawImage(0, 0, row.sides[std::size_t(s)]);
            if (s == 0) {
                const QImage picture(row.photo);
                painter.setRenderHint(QPainter::SmoothPixmapTransform);
                painter.setClipRect(photoBox);
                painter.drawImage(
                    carddesign::fittedRect(picture.size(), photoBox, carddesign::PictureFit::Cover),
                    picture);
            }
            painter.end();
            const QImage& k = row.k[std::size_t(s)];
            std::copy_n(k.constBits(), k.sizeInBytes(), canvas.blackCoverage().bits());
            carddesign::splitPlanes(canvas, false, planes[std::size_t(s)]);
            pugi::xml_node side = job.addSide(s);
            for (int p = 0; p < 4; ++p) {
                job.addPanel(side, "ymck"[p]);
                payload += planes[std::size_t(s)][std::size_t(p)].size();
            }
        }
        pugi::xml_node prn = job.document().child("prn");
        prn.append_child("binary-size").text().set(static_cast<unsigned long long>(payload));
        QByteArray bytes;
        bytes.reserve(int(payload) + 4096);
        Orvane::FrameWriter frame([&bytes](const unsigned char* data, std::size_t size) {
            bytes.append(reinterpret_cast<const char*>(data), int(size));
            return true;
        });
        frame.header(job.document(), pugi::encoding_utf8);
        for (const auto& side : planes)
            for (const std::vector<unsigned char>& plane : side)
                frame.payload(plane.data(), plane.size());
        frame.finish();
        benchmark::DoNotOptimize(bytes.constData());
    }
    state.SetItemsProcessed(state.iterations());
}

long peakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// --check over 10,000 rows: the peak memory after the first 1,000 rows and after all of them.
void CheckTenThousandRows(benchmark::State& state) {
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("people.csv"));
    {
        QFile file(data);
        file.open(QIODevice::WriteOnly);
        file.write("ID,Name,Title,Photo,MagName\n");
        for (int i = 0; i < 10000; ++i)
            file.write(QStringLiteral("%1,Person Number %1,Staff,%2/photos/1001.png,PERSON/%1\n")
                           .arg(10000 + i)
                           .arg(example)
                           .toUtf8());
    }
    long growth = 0;
    for (auto _ : state) {
        CardBatch batch;
        CardBatchOptions options;
        if (!batch.open(example + QStringLiteral("/badge.card.json"), data, options)) {
            state.SkipWithError("cannot open the batch");
            return;
        }
        CardBatchRow row;
        long afterThousand = 0;
        for (int n = 1; batch.next(row) == CardBatch::Row; ++n)
            if (n == 1000)
                afterThousand = peakKiB();
        growth = peakKiB() - afterThousand;
    }
    state.counters["peak_growth_KiB_after_1000_rows"] = double(growth);
    state.SetItemsProcessed(state.iterations() * 10000);
}

// Keeps each benchmark's time per iteration, wall clock and processor, for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            real[run.benchmark_name()] = run.GetAdjustedRealTime();
            cpu[run.benchmark_name()] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> real, cpu;
};

} // namespace

BENCHMARK(FloorDrawAndWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(ComposeCard)->Unit(benchmark::kMillisecond);
BENCHMARK(CheckTenThousandRows)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
    // Repetitions of the card and its floor take turns, so that a change in the machine's load
    // falls on both (a flag given on the command line still wins).
    std::vector<char*> args(argv, argv + argc);
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    int count = int(args.size());
    benchmark::Initialize(&count, args.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // With --benchmark_repetitions the means are compared. The processor time is steadier on a
    // machine that others use too.
    const bool repeated = reporter.real.count("FloorDrawAndWrite_mean") > 0;
    const std::string floor = repeated ? "FloorDrawAndWrite_mean" : "FloorDrawAndWrite";
    const std::string card = repeated ? "ComposeCard_mean" : "ComposeCard";
    if (reporter.real[floor] > 0 && reporter.real[card] > 0)
        std::cout << "two-sided example card: " << reporter.real[card] / reporter.real[floor]
                  << " x the floor of drawing its pictures and writing the job in wall time, "
                  << reporter.cpu[card] / reporter.cpu[floor]
                  << " x in processor time (goal <= 1.5)\n";
    return 0;
}
