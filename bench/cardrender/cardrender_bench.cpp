// One two-sided card of the example badge made into a job, against a floor measured in the same
// run: drawing the same two finished pictures with QPainter, splitting them into planes and
// writing the job's bytes. Also cards per second, and that checking a 10,000-row batch keeps
// its memory flat (rows are streamed). The ratios are printed after the table.
#include <kalyxdocument/PrnJobBuilder.h>

#include <carddesign/CardBatch.h>
#include <carddesign/CardDesignFile.h>
#include <carddesign/CsvReader.h>

#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <iostream>
#include <map>

namespace {

const QString example = QStringLiteral(EXAMPLE_DIR);

struct Example {
    CardDesign design;
    CsvReader reader;
    CsvRow row;
    Example() {
        design = *loadCardDesign(example + QStringLiteral("/badge.card.json")).design;
        reader.open(example + QStringLiteral("/people.csv"));
        reader.next(row);
    }
    CardTemplateContext context() const { return {&row.record, QStringLiteral("2026-12-09")}; }
};

Example& example1() {
    static Example e;
    return e;
}

void ComposeCard(benchmark::State& state) {
    CardRenderer renderer(example1().design);
    for (auto _ : state) {
        const CardRenderer::Card card =
            renderer.render(example1().context(), example, CardRenderer::Job);
        benchmark::DoNotOptimize(card.job.constData());
        if (card.job.isEmpty())
            state.SkipWithError("the example's first row made no job");
    }
    state.SetItemsProcessed(state.iterations());
}

// The same two sides, already finished, drawn with QPainter onto fresh pictures with the row's
// photo decoded and drawn over the front, split into Y, M, C and K planes and written as a job.
void FloorDrawAndWrite(benchmark::State& state) {
    CardRenderer renderer(example1().design);
    const std::array<QImage, 2> sides =
        renderer.render(example1().context(), example, CardRenderer::Pictures).sides;
    const int w = sides[0].width(), h = sides[0].height();
    // The pictures and planes are made once and reused, as the renderer reuses its own.
    QImage canvas(w, h, QImage::Format_RGB32);
    std::array<QByteArray, 4> planes;
    for (QByteArray& p : planes)
        p = QByteArray(w * h, '\0');
    for (auto _ : state) {
        PrnJobBuilder job;
        for (int s = 0; s < 2; ++s) {
            QPainter painter(&canvas);
            painter.drawImage(0, 0, sides[std::size_t(s)]);
            if (s == 0) {
                painter.setRenderHint(QPainter::SmoothPixmapTransform);
                painter.drawImage(QRect(47, 183, 283, 359),
                                  QImage(example + QStringLiteral("/photos/1001.png")));
            }
            painter.end();
            char* yp = planes[0].data();
            char* mp = planes[1].data();
            char* cp = planes[2].data();
            char* kp = planes[3].data();
            for (int y = 0; y < h; ++y) {
                const auto* row = reinterpret_cast<const QRgb*>(canvas.constScanLine(y));
                for (int x = 0; x < w; ++x) {
                    const int at = x * h + y;
                    yp[at] = char(255 - qBlue(row[x]));
                    mp[at] = char(255 - qGreen(row[x]));
                    cp[at] = char(255 - qRed(row[x]));
                    kp[at] = char(row[x] == qRgb(0, 0, 0) ? 255 : 0);
                }
            }
            pugi::xml_node side = job.addSide(s);
            for (int p = 0; p < 4; ++p)
                job.addPanel(side, "ymck"[p], planes[std::size_t(p)]);
        }
        const QByteArray bytes = job.build();
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

BENCHMARK(FloorDrawAndWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(ComposeCard)->Unit(benchmark::kMillisecond);
BENCHMARK(CheckTenThousandRows)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double floor = reporter.times["FloorDrawAndWrite"];
    const double card = reporter.times["ComposeCard"];
    if (floor > 0 && card > 0)
        std::cout << "two-sided example card: " << card / floor
                  << " x the floor of drawing its pictures and writing the job (goal <= 1.5)\n";
    return 0;
}
