// kalyxprn batch with printers, as a user runs it: the example badge to a pool of simulators.
#include "FileBytes.h"
#include "KalyxprnRun.h"
#include "SimProcess.h"
#include "TempDir.h"

#include <QDir>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

const QString design = QStringLiteral(KALYX_SOURCE_DIR "/examples/badge/badge.card.json");
const QString data = QStringLiteral(KALYX_SOURCE_DIR "/examples/badge/people.csv");

TEST(BatchCommand, TheExampleBadgePrintsOnceOnAPoolAndResumesToNothing) {
    kalyxtest::TempDir dir;
    QStringList printers;
    std::vector<std::unique_ptr<kalyxtest::SimProcess>> sims;
    for (const char* name : {"a", "b"}) {
        ASSERT_EQ(::mkdir(dir.file(name).c_str(), 0755), 0);
        sims.push_back(std::make_unique<kalyxtest::SimProcess>(
            std::vector<std::string>{"--jobs", dir.file(name), "--hopper", "1000"}));
        printers << "--tcp" << QStringLiteral("127.0.0.1:%1").arg(sims.back()->port());
    }
    const QString journal = QString::fromStdString(dir.file("badges.journal"));
    const QStringList batch = QStringList{"batch", design, data, "--journal", journal} + printers;
    const kalyxtest::Result first = kalyxtest::kalyxprn(batch);
    ASSERT_EQ(first.status, 0) << first.out.toStdString() << first.err.toStdString();
    EXPECT_TRUE(first.out.contains("row 12 (1012) -> 127.0.0.1:")) << first.out.toStdString();
    const int stored = QDir(QString::fromStdString(dir.file("a"))).entryList(QDir::Files).size() +
                       QDir(QString::fromStdString(dir.file("b"))).entryList(QDir::Files).size();
    EXPECT_EQ(stored, 12);
    EXPECT_TRUE(
        kalyxtest::kalyxprn(batch).out.contains("printed: 0, skipped (printed before): 12"));
    const kalyxtest::Result status = kalyxtest::kalyxprn({"batch", "--status", journal});
    EXPECT_EQ(status.status, 0);
    EXPECT_TRUE(status.out.contains("rows: 12; printed 12, uncertain 0, to print 0"))
        << status.out.toStdString();

    const struct {
        QStringList args;
        const char* says;
    } refused[] = {
        {QStringList{"batch", design, "-"} + printers, "data from standard input needs --journal"},
        {QStringList{"batch", design, data, "--server", "x", "--journal", journal} + printers,
         "--server needs --queue NAME"},
        {QStringList{"batch", design, data, "--check"} + printers, "printing goes without --check"},
        {QStringList{"batch", design, "-", "--journal", journal, "--stop-on-input"} + printers,
         "--stop-on-input needs the data in a file"},
    };
    kalyxtest::RunOptions people;
    people.input = kalyxtest::readFile(data);
    for (const auto& c : refused) {
        const kalyxtest::Result run = kalyxtest::kalyxprn(c.args, people);
        EXPECT_EQ(run.status, 2) << c.says;
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.toStdString();
    }
}

} // namespace
