// Printing a batch to a pool of simulators: every row once, whatever breaks.
#include "BatchJournal.h"
#include "BatchRun.h"
#include "FileBytes.h"
#include "SimProcess.h"
#include "TempDir.h"
#include "Waiting.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <set>
#include <sys/stat.h>
#include <thread>

namespace {

using batchtest::BatchRun;
using batchtest::runBatch;
using batchtest::RunSetup;

class Pool : public ::testing::Test {
protected:
    void SetUp() override {
        setup.design = QString::fromStdString(dir.file("badge.card.json"));
        setup.data = QString::fromStdString(dir.file("people.csv"));
        ASSERT_TRUE(kalyxtest::writeFile(setup.design, "{}"));
        ASSERT_TRUE(kalyxtest::writeFile(setup.data, "ID\n"));
    }
    // Starts `count` simulators that take `printTime` seconds per card.
    void startPrinters(int count, const std::string& printTime) {
        for (int i = 0; i < count; ++i) {
            folders.push_back(dir.file("jobs-" + std::to_string(folders.size())));
            ASSERT_EQ(::mkdir(folders.back().c_str(), 0755), 0);
            sims.push_back(std::make_unique<kalyxtest::SimProcess>(std::vector<std::string>{
                "--jobs", folders.back(), "--print-time", printTime, "--hopper", "100000"}));
            ASSERT_TRUE(sims.back()->started());
        }
    }
    QStringList printers(std::size_t from = 0) const {
        QStringList args;
        for (std::size_t i = from; i < sims.size(); ++i)
            if (sims[i])
                args << "--tcp" << QStringLiteral("127.0.0.1:%1").arg(sims[i]->port());
        return args;
    }
    std::map<int, int> stored() const { return batchtest::storedRows(setup.cards, folders); }
    // Confirms each uncertain row as the simulators' folders tell, as an operator would after
    // looking at the cards.
    QStringList confirmations(const BatchRun& run) const {
        static const QRegularExpression uncertain(QStringLiteral("--confirm (E\\d+)=printed"));
        waitUntilIdle();
        const std::map<int, int> rows = stored();
        QStringList args;
        for (auto match = uncertain.globalMatch(run.err); match.hasNext();) {
            const QString key = match.next().captured(1);
            const int row = key.mid(1).toInt() - 1000;
            args << "--confirm" << key + (rows.count(row) ? "=printed" : "=reprint");
        }
        return args;
    }
    // A card a printer took is printed even when the batch died, after the card before it.
    void waitUntilIdle() const {
        std::size_t before = 0;
        do {
            before = stored().size();
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
        } while (stored().size() != before);
    }
    // Every row stored once, but those in `lost` (taken by a printer that died) at most once.
    void expectEveryRowOnce(const std::set<int>& lost = {}) const {
        waitUntilIdle();
        const std::map<int, int> rows = stored();
        EXPECT_EQ(rows.count(-1), 0u) << "a job that is no row's arrived";
        for (const cli::BatchCard& card : setup.cards) {
            const auto found = rows.find(card.row);
            const int times = found == rows.end() ? 0 : found->second;
            if (lost.count(card.row))
                EXPECT_LE(times, 1) << "row " << card.row;
            else
                EXPECT_EQ(times, 1) << "row " << card.row;
        }
    }

    kalyxtest::TempDir dir;
    RunSetup setup;
    std::vector<std::string> folders;
    std::vector<std::unique_ptr<kalyxtest::SimProcess>> sims;
};

// The JSON lines of a run's standard output (the summary lines for people are not JSON).
std::vector<QJsonObject> progressEvents(const QString& out) {
    std::vector<QJsonObject> events;
    for (const QString& line : out.split('\n'))
        if (line.startsWith('{'))
            events.push_back(QJsonDocument::fromJson(line.toUtf8()).object());
    return events;
}

TEST_F(Pool, ThirtyRowsArriveOnceSpreadOverThreePrinters) {
    startPrinters(3, "0.1");
    setup.cards = batchtest::makeCards(30);
    const BatchRun run = runBatch(setup, printers());
    ASSERT_EQ(run.status, 0) << run.out.toStdString() << run.err.toStdString();
    expectEveryRowOnce();
    for (const std::string& folder : folders)
        EXPECT_GE(QDir(QString::fromStdString(folder)).entryList(QDir::Files).size(), 5) << folder;
    EXPECT_TRUE(run.out.contains(QRegularExpression("row 12 \\(E1012\\) -> 127.0.0.1:\\d+ sent")));
    // The same command again prints nothing.
    const BatchRun again = runBatch(setup, printers());
    EXPECT_EQ(again.status, 0);
    EXPECT_TRUE(again.out.contains("printed: 0, skipped (printed before): 30"))
        << again.out.toStdString();
    expectEveryRowOnce();
}

TEST_F(Pool, APrinterKilledMidBatchLeavesThePoolAndNoRowPrintsTwice) {
    startPrinters(3, "0.2");
    setup.cards = batchtest::makeCards(24);
    // The first printer dies while the batch runs.
    const pid_t victim = sims[0]->pid();
    const int port = sims[0]->port();
    std::thread killer([victim] {
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        ::kill(victim, SIGKILL);
    });
    const BatchRun run = runBatch(setup, printers());
    killer.join();
    sims[0]->stop(SIGKILL);
    EXPECT_TRUE(run.status == 0 || run.status == 1) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("printer out of the pool: 127.0.0.1:")) << run.out.toStdString();
    // Cards the dead printer took whole went down with it; no other row may be missing.
    std::set<int> lost;
    const QRegularExpression line(QStringLiteral("row (\\d+) \\S+ -> 127.0.0.1:%1 sent").arg(port));
    for (auto match = line.globalMatch(run.out); match.hasNext();)
        lost.insert(match.next().captured(1).toInt());
    // A row the batch called failed never arrived; uncertain ones are settled by looking.
    BatchRun resumed = runBatch(setup, printers(1));
    if (resumed.status == 1 && resumed.err.contains("--confirm"))
        resumed = runBatch(setup, printers(1) + confirmations(resumed));
    EXPECT_EQ(resumed.status, 0) << resumed.out.toStdString() << resumed.err.toStdString();
    expectEveryRowOnce(lost);
}

// A printer that cannot be reached leaves the pool with the card it took, which another printer
// prints: one failure, said to be handed on, and each card counted once.
TEST_F(Pool, AnUnreachablePrinterHandsItsCardOnAndItCountsOnce) {
    startPrinters(2, "0.2");
    const QString gone = QStringLiteral("127.0.0.1:%1").arg(sims[0]->port());
    sims[0]->stop();
    setup.cards = batchtest::makeCards(4);
    const BatchRun lines = runBatch(setup, QStringList{"--tcp", gone} + printers(1));
    ASSERT_EQ(lines.status, 0) << lines.err.toStdString();
    EXPECT_EQ(lines.out.count(QRegularExpression(
                  "-> " + QRegularExpression::escape(gone) +
                  " failed: cannot connect.*; the card goes to another printer\n")),
              1)
        << lines.out.toStdString();
    expectEveryRowOnce();

    // A program that follows the batch is told the same.
    ASSERT_TRUE(QFile::remove(setup.data + ".journal"));
    const BatchRun watched =
        runBatch(setup, QStringList{"--tcp", gone} + printers(1) << "--progress-json");
    int failed = 0, sent = 0;
    for (const QJsonObject& e : progressEvents(watched.out)) {
        failed += e["event"] == "failed" && e["retried"].toBool();
        sent += e["event"] == "sent";
    }
    EXPECT_EQ(failed, 1);
    EXPECT_EQ(sent, 4);
}

TEST_F(Pool, KilledAtRandomMomentsAndResumedEveryRowPrintsOnce) {
    startPrinters(3, "0.03");
    setup.cards = batchtest::makeCards(60);
    std::mt19937 random(std::random_device{}());
    int runs = 0, status = -1;
    QStringList confirm;
    // At least 20 runs killed at random points, then one to the end.
    for (; runs < 40 && (runs < 20 || status != 0); ++runs) {
        RunSetup killed = setup;
        killed.killAfterMs = runs < 20 ? int(random() % 80) : -1;
        const BatchRun run = runBatch(killed, printers() + confirm);
        status = run.status;
        confirm.clear();
        if (run.status == 1 && run.err.contains("--confirm"))
            confirm = confirmations(run);
        else
            ASSERT_TRUE(run.status == -1 || run.status == 0)
                << run.out.toStdString() << run.err.toStdString();
    }
    // The last killed run may already finish the batch (its kill came after the last card).
    EXPECT_EQ(status, 0);
    EXPECT_GE(runs, 20);
    expectEveryRowOnce();
}

} // namespace

namespace {

carddesign::JournalHistory journalOf(const QString& data) {
    QString problem;
    const auto journal = carddesign::BatchJournal::read(data + ".journal", problem);
    return journal ? journal->history() : carddesign::JournalHistory();
}

TEST_F(Pool, OneRunAtATimeOnAJournal) {
    startPrinters(1, "0.3");
    setup.cards = batchtest::makeCards(4);
    batchtest::BackgroundRun first(setup, printers());
    ASSERT_TRUE(kalyxtest::waitUntil(
        [&] { return kalyxtest::readFile(setup.data + ".journal").contains("sending"); }));
    const BatchRun second = runBatch(setup, printers());
    EXPECT_EQ(second.status, 1);
    EXPECT_TRUE(second.err.contains("another batch is running on the journal"))
        << second.err.toStdString();
    EXPECT_EQ(first.wait().status, 0);
    expectEveryRowOnce();
}

TEST_F(Pool, AChangedDesignOrDataIsRefusedUnlessAllowed) {
    startPrinters(1, "0");
    setup.cards = batchtest::makeCards(3);
    ASSERT_EQ(runBatch(setup, printers()).status, 0);
    const struct {
        QString file;
        const char* named;
    } cases[] = {{setup.design, "the design changed"}, {setup.data, "the data changed"}};
    for (const auto& c : cases) {
        ASSERT_TRUE(kalyxtest::writeFile(c.file, kalyxtest::readFile(c.file) + "edited\n"));
        const BatchRun refused = runBatch(setup, printers());
        EXPECT_EQ(refused.status, 1) << c.named;
        EXPECT_TRUE(refused.err.contains(c.named)) << refused.err.toStdString();
        // Rows match by key: nothing printed twice.
        const BatchRun allowed = runBatch(setup, printers() << "--allow-changed");
        EXPECT_EQ(allowed.status, 0) << allowed.err.toStdString();
        EXPECT_TRUE(allowed.out.contains("printed: 0, skipped (printed before): 3"));
        EXPECT_EQ(runBatch(setup, printers()).status, 0) << "the change accepted is remembered";
    }
    expectEveryRowOnce();
}

TEST_F(Pool, AFullDiskStopsTheBatchBeforeACardItCannotRecord) {
    startPrinters(2, "0");
    setup.cards = batchtest::makeCards(12);
    RunSetup full = setup;
    full.fileSizeLimit = 1500; // the header, the run and a few lines
    const BatchRun stopped = runBatch(full, printers());
    EXPECT_EQ(stopped.status, 1);
    EXPECT_TRUE(stopped.err.contains("could not record the next step"))
        << stopped.err.toStdString();
    waitUntilIdle();
    const carddesign::JournalHistory history = journalOf(setup.data);
    const std::map<int, int> rows = stored();
    EXPECT_GT(rows.size(), 0u);
    EXPECT_LT(rows.size(), setup.cards.size());
    for (const auto& row : rows)
        EXPECT_TRUE(history.find(QStringLiteral("E%1").arg(1000 + row.first)))
            << "row " << row.first << " printed without a line in the journal";
    BatchRun resumed = runBatch(setup, printers());
    if (resumed.status == 1)
        resumed = runBatch(setup, printers() + confirmations(resumed));
    EXPECT_EQ(resumed.status, 0) << resumed.err.toStdString();
    expectEveryRowOnce();
}

TEST_F(Pool, CtrlCFinishesTheCardsInFlightAndSaysHowToResume) {
    startPrinters(2, "0.2");
    setup.cards = batchtest::makeCards(16);
    batchtest::BackgroundRun run(setup, printers());
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    run.signal(SIGINT);
    const BatchRun interrupted = run.wait();
    EXPECT_EQ(interrupted.status, 130);
    EXPECT_TRUE(interrupted.err.contains("Resume with:\n  kalyxprn batch --tcp 127.0.0.1:"))
        << interrupted.err.toStdString();
    const carddesign::JournalHistory history = journalOf(setup.data);
    EXPECT_GT(history.rows().size(), 0u);
    for (const carddesign::JournalRow& row : history.rows())
        EXPECT_EQ(carddesign::dueOf(row), carddesign::RowDue::Done) << row.key.toStdString();
    EXPECT_EQ(runBatch(setup, printers()).status, 0);
    expectEveryRowOnce();
}

// A program that runs the batch stops it through standard input (a "stop" line, or closing
// it), follows it through JSON lines, and resumes it from the journal's last run.
class InputStop : public Pool {
protected:
    void stopAndResume(bool closeInput) {
        startPrinters(2, "0.2");
        setup.cards = batchtest::makeCards(12);
        RunSetup piped = setup;
        piped.inputPipe = true;
        const QStringList watched = printers() << "--progress-json"
                                               << "--stop-on-input";
        batchtest::BackgroundRun run(piped, watched);
        run.say("hello\n"); // other lines are no stop
        ASSERT_TRUE(kalyxtest::waitUntil(
            [&] { return run.outputSoFar().count("\"event\":\"sent\"") >= 2; }, 20000));
        if (closeInput)
            run.closeInput();
        else
            run.say("stop\n");
        const BatchRun stopped = run.wait();
        EXPECT_EQ(stopped.status, 130) << stopped.err.toStdString();
        EXPECT_FALSE(stopped.err.contains("--stop-on-input")) << "not in the command that resumes";

        const std::vector<QJsonObject> events = progressEvents(stopped.out);
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.front()["event"].toString(), "start");
        EXPECT_EQ(events.front()["total"].toInt(), 12);
        EXPECT_EQ(events.front()["printers"].toArray().size(), 2);
        // Every card sent out is reported sent, by the printer it went to: none left in flight.
        std::map<QString, QString> sendingTo, sentBy;
        for (const QJsonObject& e : events) {
            if (e["event"] == "sending")
                sendingTo[e["key"].toString()] = e["printer"].toString();
            if (e["event"] == "sent")
                sentBy[e["key"].toString()] = e["printer"].toString();
        }
        EXPECT_EQ(sendingTo, sentBy);
        EXPECT_LT(sentBy.size(), 12u) << "the stop came too late to test anything";
        const carddesign::JournalHistory history = journalOf(setup.data);
        EXPECT_EQ(history.rows().size(), sentBy.size());
        const QJsonArray destinations = history.runs().back()["destinations"].toArray();
        EXPECT_EQ(destinations.size(), 2);
        EXPECT_EQ(destinations.at(0).toString(), "--tcp=" + printers().at(1));

        // Resumed: the printed rows are skipped, the rest sent, and the count reaches the total.
        const BatchRun resumed = runBatch(setup, printers() << "--progress-json");
        EXPECT_EQ(resumed.status, 0) << resumed.err.toStdString();
        int skipped = 0, sent = 0;
        for (const QJsonObject& e : progressEvents(resumed.out)) {
            skipped += e["event"] == "skipped";
            sent += e["event"] == "sent";
        }
        EXPECT_EQ(skipped, int(sentBy.size()));
        EXPECT_EQ(skipped + sent, 12);
        expectEveryRowOnce();
    }
};

TEST_F(InputStop, AStopLine) {
    stopAndResume(false);
}

TEST_F(InputStop, TheInputClosed) {
    stopAndResume(true);
}

TEST_F(Pool, ReprintsAreOnPurposeAndStatusTellsEveryRow) {
    startPrinters(1, "0");
    setup.cards = batchtest::makeCards(3);
    ASSERT_EQ(runBatch(setup, printers()).status, 0);
    const struct {
        QStringList args;
        const char* says;
    } refused[] = {
        {{"--reprint", "E1002"}, "--reprint needs --reason"},
        {{"--reprint", "E1009", "--reason", "x"}, "row E1009 has not printed"},
        {{"--confirm", "E1001=printed"}, "row E1001 is not uncertain"},
        {{"--confirm", "E1001=maybe"}, "--confirm needs KEY=printed or KEY=reprint"},
    };
    for (const auto& c : refused) {
        const BatchRun run = runBatch(setup, printers() + c.args);
        EXPECT_EQ(run.status, 2) << c.says;
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.toStdString();
    }
    const BatchRun reprint = runBatch(setup, printers() << "--reprint"
                                                        << "E1002"
                                                        << "--reason"
                                                        << "card torn");
    EXPECT_EQ(reprint.status, 0) << reprint.err.toStdString();
    waitUntilIdle();
    EXPECT_EQ(stored(), (std::map<int, int>{{1, 1}, {2, 2}, {3, 1}}));

    const QString journal = setup.data + ".journal";
    const BatchRun status = runBatch(setup, {"--status", journal});
    EXPECT_EQ(status.status, 0) << status.err.toStdString();
    EXPECT_TRUE(status.out.contains(
        QRegularExpression("row 2 \\(E1002\\): sent, 127.0.0.1:\\d+, \\S+, reprinted: card torn")))
        << status.out.toStdString();
    EXPECT_TRUE(status.out.contains("rows: 3; printed 3, uncertain 0, to print 0; reprints 1"))
        << status.out.toStdString();
    const BatchRun json = runBatch(setup, {"--status", journal, "--json"});
    const QJsonObject parsed = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(parsed["rows"].toArray().at(1)["reprints"].toArray().at(0).toString(), "card torn");
    EXPECT_EQ(parsed["rows"].toArray().at(1)["sent"].toInt(), 2);
    EXPECT_EQ(parsed["summary"]["printed"].toInt(), 3);
}

TEST_F(Pool, ARowThatFailsItsChecksIsJournalledAndPrintsOnlyOnceItPasses) {
    startPrinters(1, "0");
    setup.cards = batchtest::makeCards(3);
    const std::vector<cli::BatchCard> good = setup.cards;
    const QString journal = setup.data + ".journal";
    const auto refuse = [&](std::size_t at) {
        setup.cards[at].problem = "photo: photos/x.png: no such file";
        setup.cards[at].job.clear();
    };
    refuse(1);
    const BatchRun first = runBatch(setup, printers());
    EXPECT_EQ(first.status, 1) << first.err.toStdString();
    EXPECT_TRUE(first.out.contains("not printed, rows with problems: 1"))
        << first.out.toStdString();
    const BatchRun status = runBatch(setup, {"--status", journal});
    EXPECT_TRUE(status.out.contains("row 2 (E1002): refused: photo: photos/x.png: no such file"))
        << status.out.toStdString();
    EXPECT_TRUE(status.out.contains("to print 1 (1 refused by their checks)"))
        << status.out.toStdString();
    const QJsonObject json =
        QJsonDocument::fromJson(runBatch(setup, {"--status", journal, "--json"}).out.toUtf8())
            .object();
    QString stateOfRow2;
    for (const QJsonValue& row : json["rows"].toArray())
        if (row["key"] == "E1002")
            stateOfRow2 = row["state"].toString();
    EXPECT_EQ(stateOfRow2, "refused");
    EXPECT_EQ(json["summary"]["refused"].toInt(), 1);

    // Row 1, printed, now fails too: its refusal never makes it print again.
    refuse(0);
    EXPECT_EQ(runBatch(setup, printers()).status, 1);
    setup.cards = good;
    const BatchRun fixed = runBatch(setup, printers());
    EXPECT_EQ(fixed.status, 0) << fixed.err.toStdString();
    EXPECT_TRUE(fixed.out.contains("printed: 1, skipped (printed before): 2"))
        << fixed.out.toStdString();
    expectEveryRowOnce();
}

} // namespace

namespace {

// Run by batch_queue_test.sh, which starts the schedulers and names the queue, the server and
// the simulators' job folders; skipped on its own.
TEST_F(Pool, ThroughAQueueEveryCardArrivesOnce) {
    const QString queue = qEnvironmentVariable("KALYX_TEST_QUEUE");
    if (queue.isEmpty())
        GTEST_SKIP() << "needs the schedulers of batch_queue_test.sh";
    for (const QString& folder : qEnvironmentVariable("KALYX_TEST_JOB_FOLDERS").split(' '))
        folders.push_back(folder.toStdString());
    QStringList args{"--queue", queue};
    if (qEnvironmentVariableIsSet("KALYX_TEST_SERVER"))
        args << "--server" << qEnvironmentVariable("KALYX_TEST_SERVER");
    setup.cards = batchtest::makeCards(10);
    const BatchRun run = runBatch(setup, args);
    EXPECT_EQ(run.status, 0) << run.out.toStdString() << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QRegularExpression("row 7 \\(E1007\\) -> \\S+ completed")))
        << run.out.toStdString();
    expectEveryRowOnce();
}

} // namespace
