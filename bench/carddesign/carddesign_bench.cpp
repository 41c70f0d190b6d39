// Reading a data file row by row, and checking each row against a design, against the floor of
// reading the same bytes and finding their line ends; the memory a 100,000-row file takes beyond
// a 1,000-row one shows that rows are streamed.
#include <carddesign/CardDesignFile.h>
#include <carddesign/CsvReader.h>
#include <carddesign/RowChecks.h>

#include "BenchRatios.h"

#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstring>

namespace {

// A people file of `rows` rows like the example's, with quoting and UTF-8 names.
QString peopleFile(const QTemporaryDir& dir, int rows) {
    const QString path = dir.filePath(QStringLiteral("people%1.csv").arg(rows));
    QFile file(path);
    if (file.exists())
        return path;
    file.open(QIODevice::WriteOnly);
    file.write("ID,Name,Title,Photo,MagName\n");
    for (int i = 0; i < rows; ++i)
        file.write(QStringLiteral("%1,\"Łukasz Wiśniewski-%1\",\"Engineer, Site\",photos/%1.png,"
                                  "WISNIEWSKI/LUKASZ\n")
                       .arg(10000 + i)
                       .toUtf8());
    return path;
}

const QTemporaryDir& folder() {
    static const QTemporaryDir dir;
    return dir;
}

int floorLines(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    QByteArray chunk(64 * 1024, Qt::Uninitialized);
    int lines = 0;
    qint64 n;
    while ((n = file.read(chunk.data(), chunk.size())) > 0)
        lines += int(std::count(chunk.constData(), chunk.constData() + n, '\n'));
    return lines;
}

int readRows(const QString& path, const CardDesign* design) {
    CsvReader reader;
    reader.open(path);
    CsvRow row;
    int rows = 0;
    const QString date = QStringLiteral("2026-01-01");
    while (reader.next(row) == CsvReader::Row) {
        if (design)
            benchmark::DoNotOptimize(checkCardRow(*design, {&row.record, date}));
        ++rows;
    }
    return rows;
}

const CardDesign& badgeDesign() {
    static const CardDesign design = *parseCardDesign(R"({"format": "kalyx-card-design/1",
      "front": {"objects": [
        {"type": "image", "x": 4, "y": 13, "w": 25, "h": 32, "src": "${Photo}"},
        {"type": "text", "x": 33, "y": 14, "w": 49, "h": 8, "text": "${Name}"},
        {"type": "text", "x": 33, "y": 23, "w": 49, "h": 6, "text": "${Title:=Staff}"},
        {"type": "barcode", "x": 33, "y": 36, "w": 49, "h": 12, "symbology": "code128",
         "data": "${ID}"}]},
      "mag": {"tracks": {"1": "%B${ID}^${MagName}?", "2": ";${ID}?"}}})",
                                                      "/")
                                          .design;
    return design;
}

void paired(benchmark::State& state, const CardDesign* design) {
    const QString path = peopleFile(folder(), 10000);
    std::vector<double> subject, floor;
    for (auto _ : state) {
        const auto a = benchratio::Clock::now();
        benchmark::DoNotOptimize(floorLines(path));
        const auto b = benchratio::Clock::now();
        benchmark::DoNotOptimize(readRows(path, design));
        const auto c = benchratio::Clock::now();
        floor.push_back(benchratio::seconds(a, b));
        subject.push_back(benchratio::seconds(b, c));
    }
    benchratio::reportPairedRatio(state, subject, floor);
    state.counters["rows_per_s"] = 10000 / benchratio::median(subject);
}

void CsvRead10000Rows(benchmark::State& state) {
    paired(state, nullptr);
}

void CsvReadAndCheck10000Rows(benchmark::State& state) {
    paired(state, &badgeDesign());
}

long maxResidentKb() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The peak memory after reading 100,000 rows less the peak after 1,000 rows: near zero when
// rows are streamed (the file is about 8 MB).
void CsvMemoryGrowth(benchmark::State& state) {
    const QString small = peopleFile(folder(), 1000);
    const QString large = peopleFile(folder(), 100000);
    for (auto _ : state) {
        readRows(small, &badgeDesign());
        const long before = maxResidentKb();
        readRows(large, &badgeDesign());
        state.counters["rss_growth_kb"] = double(maxResidentKb() - before);
    }
}

} // namespace

BENCHMARK(CsvRead10000Rows)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(CsvReadAndCheck10000Rows)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(CsvMemoryGrowth)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
