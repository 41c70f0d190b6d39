// Printing a batch exactly once, measured against what it cannot beat:
// - a pool of three simulators with a print time against the ideal (cards x print time / 3);
// - the journal's cost per card (two lines made durable) against one line written and fsync'd;
// - through a CUPS queue against straight to the same simulators over TCP (needs the scheduler
//   that batch_queue_bench.sh starts; skipped otherwise).
#include "BatchJournal.h"
#include "BatchRun.h"
#include "SimProcess.h"
#include "TempDir.h"

#include "../common/BenchRatios.h"

#include <QFile>

#include <fcntl.h>
#include <iostream>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int poolCards = 24;
constexpr double printSeconds = 0.25; // as given to the simulators below

double timedRun(const batchtest::RunSetup& setup, const QStringList& args, bool& ok) {
    const auto start = benchratio::Clock::now();
    const batchtest::BatchRun run = batchtest::runBatch(setup, args);
    ok = run.status == 0;
    if (!ok)
        std::cerr << run.out.toStdString() << run.err.toStdString();
    return benchratio::seconds(start, benchratio::Clock::now());
}

batchtest::RunSetup freshSetup(const kalyxtest::TempDir& dir, const std::string& name, int cards) {
    batchtest::RunSetup setup;
    setup.design = QString::fromStdString(dir.file("badge.card.json"));
    setup.data = QString::fromStdString(dir.file(name + ".csv"));
    QFile(setup.design).open(QIODevice::WriteOnly);
    QFile(setup.data).open(QIODevice::WriteOnly);
    setup.cards = batchtest::makeCards(cards);
    return setup;
}

void BM_PoolOfThreeAgainstIdeal(benchmark::State& state) {
    for (auto _ : state) {
        kalyxtest::TempDir dir;
        std::vector<std::unique_ptr<kalyxtest::SimProcess>> sims;
        QStringList args;
        for (int i = 0; i < 3; ++i) {
            sims.push_back(std::make_unique<kalyxtest::SimProcess>(
                std::vector<std::string>{"--print-time", "0.25", "--hopper", "100000"}));
            args << "--tcp" << QStringLiteral("127.0.0.1:%1").arg(sims.back()->port());
        }
        bool ok = false;
        // The batch ends when the last card is taken; it is out one print time later.
        const double wall = timedRun(freshSetup(dir, "pool", poolCards), args, ok) + printSeconds;
        if (!ok)
            state.SkipWithError("the batch failed");
        const double ideal = poolCards * printSeconds / 3;
        state.counters["wall_s"] = wall;
        state.counters["ideal_s"] = ideal;
        state.counters["ratio"] = wall / ideal;
    }
}
BENCHMARK(BM_PoolOfThreeAgainstIdeal)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_JournalPerCardAgainstFsyncOfALine(benchmark::State& state) {
    kalyxtest::TempDir dir;
    std::unique_ptr<carddesign::BatchJournal> journal;
    QString problem;
    carddesign::BatchJournal::openForRun(QString::fromStdString(dir.file("j.journal")), journal,
                                         problem);
    journal->start({"d", "p", "", "", ""}, problem);
    const int fd = ::open(dir.file("plain").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    const std::string line(120, 'x');
    std::vector<double> subject, floor;
    int row = 0;
    for (auto _ : state) {
        const QString key = QStringLiteral("E%1").arg(++row);
        const QJsonObject where{{QStringLiteral("printer"), QStringLiteral("127.0.0.1:9100")}};
        auto t0 = benchratio::Clock::now();
        journal->recordRow(carddesign::journalEvent::sending, key, row, where, problem);
        journal->recordRow(carddesign::journalEvent::sent, key, row, where, problem);
        auto t1 = benchratio::Clock::now();
        if (::write(fd, (line + "\n").data(), line.size() + 1) < 0 || ::fdatasync(fd) != 0)
            state.SkipWithError("plain write failed");
        auto t2 = benchratio::Clock::now();
        subject.push_back(benchratio::seconds(t0, t1));
        floor.push_back(benchratio::seconds(t1, t2));
    }
    ::close(fd);
    benchratio::reportPairedRatio(state, subject, floor);
}
BENCHMARK(BM_JournalPerCardAgainstFsyncOfALine)->Iterations(200)->UseRealTime();

// KALYX_BENCH_QUEUE names a class whose members are the simulators at KALYX_BENCH_TCP
// (space-separated HOST:PORT); the same cards go to each way in turn.
void BM_QueueAgainstTcp(benchmark::State& state) {
    const QString queue = qEnvironmentVariable("KALYX_BENCH_QUEUE");
    const QStringList printers =
        qEnvironmentVariable("KALYX_BENCH_TCP").split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (queue.isEmpty() || printers.isEmpty()) {
        state.SkipWithError("no scheduler (run bench/batch/batch_queue_bench.sh)");
        for (auto _ : state) {
        }
        return;
    }
    const int cards = qEnvironmentVariableIntValue("KALYX_BENCH_CARDS");
    for (auto _ : state) {
        kalyxtest::TempDir dir;
        QStringList tcp;
        for (const QString& printer : printers)
            tcp << "--tcp" << printer;
        bool tcpOk = false, queueOk = false;
        const double direct = timedRun(freshSetup(dir, "tcp", cards), tcp, tcpOk);
        const double queued =
            timedRun(freshSetup(dir, "queue", cards), {"--queue", queue}, queueOk);
        if (!tcpOk || !queueOk)
            state.SkipWithError("a batch failed");
        state.counters["tcp_s"] = direct;
        state.counters["queue_s"] = queued;
        state.counters["ratio"] = queued / direct;
    }
}
BENCHMARK(BM_QueueAgainstTcp)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
