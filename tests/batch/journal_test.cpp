// The batch journal on its own: what survives a crash, what is refused, who may write it.
#include "BatchJournal.h"
#include "FileBytes.h"

#include <QFile>
#include <QJsonObject>
#include <QTemporaryDir>

#include <csignal>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace {

using carddesign::BatchJournal;
using carddesign::RowDue;
namespace event = carddesign::journalEvent;

class Journal : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path() const { return dir.filePath(QStringLiteral("batch.journal")); }

    // A journal with a header and, for row "A", sending then sent; for "B", sending.
    void writeSample() {
        std::unique_ptr<BatchJournal> journal;
        QString problem;
        ASSERT_EQ(BatchJournal::openForRun(path(), journal, problem), BatchJournal::Opened::Ok);
        ASSERT_TRUE(journal->start({"d.card.json", "people.csv", "aa", "bb", "cc"}, problem));
        ASSERT_TRUE(journal->recordRow(event::sending, "A", 1, {}, problem));
        ASSERT_TRUE(journal->recordRow(event::sent, "A", 1, {}, problem));
        ASSERT_TRUE(journal->recordRow(event::sending, "B", 2, {}, problem));
    }
    QByteArray bytes() const { return kalyxtest::readFile(path()); }

    QTemporaryDir dir;
};

RowDue dueAfter(const std::vector<QJsonObject>& entries) {
    carddesign::JournalHistory history;
    for (QJsonObject entry : entries) {
        entry.insert("key", "K");
        history.apply(entry);
    }
    return carddesign::dueOf(*history.find("K"));
}

QJsonObject with(const char* name, const char* field = nullptr, const char* value = nullptr) {
    QJsonObject entry{{"event", name}};
    if (field)
        entry.insert(field, value);
    return entry;
}

TEST(JournalHistory, TheLastWordAboutARowDecidesWhetherItPrints) {
    const struct {
        const char* what;
        std::vector<QJsonObject> entries;
        RowDue due;
    } cases[] = {
        {"no outcome yet", {with(event::sending)}, RowDue::Uncertain},
        {"taken whole", {with(event::sending), with(event::sent)}, RowDue::Done},
        {"queue finished",
         {with(event::sending), with(event::sent), with(event::completed)},
         RowDue::Done},
        {"failed before a byte",
         {with(event::sending), with(event::failed, "reason", "x")},
         RowDue::Print},
        {"broke off part way",
         {with(event::sending), with(event::uncertain, "reason", "x")},
         RowDue::Uncertain},
        {"confirmed printed",
         {with(event::sending), with(event::confirmed, "as", "printed")},
         RowDue::Done},
        {"confirmed not printed",
         {with(event::sending), with(event::confirmed, "as", "reprint")},
         RowDue::Print},
        {"printed again on purpose",
         {with(event::sent), with(event::reprint, "reason", "torn")},
         RowDue::Print},
        {"the reprint went out",
         {with(event::sent), with(event::reprint), with(event::sending), with(event::sent)},
         RowDue::Done},
        {"an event from a later version", {with(event::sent), with("misprinted")}, RowDue::Done},
        {"refused by its checks", {with(event::refused, "reason", "x")}, RowDue::Print},
        {"printed, then refused", {with(event::sent), with(event::refused)}, RowDue::Done},
        {"in flight, then refused",
         {with(event::sending), with(event::refused)},
         RowDue::Uncertain},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dueAfter(c.entries), c.due) << c.what;
}

TEST_F(Journal, ACrashCutsOnlyTheLastLineWhichIsDropped) {
    writeSample();
    const QByteArray whole = bytes();
    const int lastLine = whole.lastIndexOf('\n', whole.size() - 2) + 1;
    QByteArray garbled = whole;
    garbled[lastLine + 3] = 'x';
    QByteArray middle = whole;
    middle[whole.indexOf('\n') + 3] = 'x';
    const struct {
        const char* what;
        QByteArray contents;
        bool opens;
        const char* stateOfB; // nullptr: B is not in the journal
    } cases[] = {
        {"whole", whole, true, event::sending},
        {"last line cut short", whole.left(whole.size() - 5), true, nullptr},
        {"last line without its line feed", whole.left(whole.size() - 1), true, nullptr},
        {"last line damaged", garbled, true, nullptr},
        {"zeros after the end, as a crash can leave", whole + QByteArray(512, '\0'), true,
         event::sending},
        {"a line before the last damaged", middle, false, nullptr},
        {"a data file given as the journal", "Name,ID\nAnna,1\n", false, nullptr},
        {"a data file of one line", "Name,ID", false, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(kalyxtest::writeFile(path(), c.contents));
        std::unique_ptr<BatchJournal> journal;
        QString problem;
        const bool opened =
            BatchJournal::openForRun(path(), journal, problem) == BatchJournal::Opened::Ok;
        ASSERT_EQ(opened, c.opens) << problem.toStdString();
        if (!opened) {
            EXPECT_EQ(bytes(), c.contents) << "a file refused is left as it was";
            continue;
        }
        const carddesign::JournalRow* b = journal->history().find("B");
        EXPECT_EQ(b ? b->state.toStdString() : "", c.stateOfB ? c.stateOfB : "");
        EXPECT_EQ(journal->droppedTornLine(), c.contents != whole);
        // What follows is appended after the last good line.
        ASSERT_TRUE(journal->recordRow(event::failed, "C", 3, {}, problem));
        journal.reset();
        ASSERT_TRUE(BatchJournal::read(path(), problem)) << problem.toStdString();
    }
}

TEST_F(Journal, AHeaderCutShortStartsAgain) {
    writeSample();
    ASSERT_TRUE(kalyxtest::writeFile(path(), bytes().left(20)));
    std::unique_ptr<BatchJournal> journal;
    QString problem;
    ASSERT_EQ(BatchJournal::openForRun(path(), journal, problem), BatchJournal::Opened::Ok);
    EXPECT_TRUE(journal->isNew());
    EXPECT_EQ(bytes().size(), 0);
}

TEST_F(Journal, OneRunAtATimeAndReadersAreNeverBlocked) {
    writeSample();
    std::unique_ptr<BatchJournal> first, second;
    QString problem;
    ASSERT_EQ(BatchJournal::openForRun(path(), first, problem), BatchJournal::Opened::Ok);
    EXPECT_EQ(BatchJournal::openForRun(path(), second, problem), BatchJournal::Opened::Busy);
    EXPECT_TRUE(BatchJournal::read(path(), problem));
    first.reset();
    EXPECT_EQ(BatchJournal::openForRun(path(), second, problem), BatchJournal::Opened::Ok);
}

// A file size limit stands in for the full disk; Windows has none to set.
#ifndef _WIN32
TEST_F(Journal, AFullDiskRefusesTheLineAndLeavesNoTrace) {
    writeSample();
    const QByteArray before = bytes();
    std::unique_ptr<BatchJournal> journal;
    QString problem;
    ASSERT_EQ(BatchJournal::openForRun(path(), journal, problem), BatchJournal::Opened::Ok);
    // Room for a few bytes more, not a whole line: the write is cut short as on a full disk.
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit tight = old;
    tight.rlim_cur = rlim_t(before.size() + 10);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    const bool recorded = journal->recordRow(event::sending, "C", 3, {}, problem);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(recorded);
    EXPECT_FALSE(problem.isEmpty());
    EXPECT_EQ(journal->history().find("C"), nullptr);
    journal.reset();
    EXPECT_EQ(bytes(), before);
}
#endif

TEST_F(Journal, ChangedFilesAreNamedAndAnAcceptedChangeIsRemembered) {
    const QString design = dir.filePath("d.card.json"), data = dir.filePath("p.csv"),
                  photo = dir.filePath("a.png");
    for (const QString& file : {design, data, photo})
        ASSERT_TRUE(kalyxtest::writeFile(file, file.toUtf8()));
    carddesign::JournalHeader then, now;
    QString problem;
    ASSERT_TRUE(carddesign::describeBatch(design, {photo}, data, then, problem));
    ASSERT_TRUE(kalyxtest::writeFile(photo, "another picture"));
    ASSERT_TRUE(kalyxtest::writeFile(data, "another row"));
    ASSERT_TRUE(carddesign::describeBatch(design, {photo}, data, now, problem));
    EXPECT_EQ(carddesign::changesBetween(then, now),
              QStringList({"the design's files", "the data"}));
    carddesign::JournalHeader fromStdin;
    ASSERT_TRUE(carddesign::describeBatch(design, {photo}, "-", fromStdin, problem));
    EXPECT_EQ(carddesign::changesBetween(now, fromStdin), QStringList());
    EXPECT_FALSE(carddesign::describeBatch(design, {dir.filePath("gone.png")}, data, now, problem));

    std::unique_ptr<BatchJournal> journal;
    ASSERT_EQ(BatchJournal::openForRun(path(), journal, problem), BatchJournal::Opened::Ok);
    ASSERT_TRUE(journal->start(then, problem));
    ASSERT_TRUE(journal->recordChange(now, problem));
    journal.reset();
    const std::unique_ptr<BatchJournal> again = BatchJournal::read(path(), problem);
    ASSERT_TRUE(again);
    EXPECT_EQ(carddesign::changesBetween(again->header(), now), QStringList());
}

} // namespace
