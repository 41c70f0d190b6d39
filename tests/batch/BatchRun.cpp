#include "BatchRun.h"

#include "BatchPrinting.h"
#include "FileBytes.h"
#include "PrnJobBuilder.h"
#include "Waiting.h"

#include <QCommandLineParser>
#include <QDir>
#include <QTemporaryDir>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace batchtest {

std::vector<cli::BatchCard> makeCards(int count) {
    std::vector<cli::BatchCard> cards;
    for (int row = 1; row <= count; ++row) {
        PrnJobBuilder job;
        pugi::xml_node options = job.cardOptions();
        PrnJobBuilder::setText(options, "num-copies", "1");
        PrnJobBuilder::setText(options, "width", "506");
        PrnJobBuilder::setText(options, "height", "2");
        pugi::xml_node side = job.addSide(0);
        job.addPanel(side, 'y', QByteArray(506 * 2, char(row)));
        cli::BatchCard card;
        card.row = row;
        card.key = QStringLiteral("E%1").arg(1000 + row);
        card.job = job.build();
        cards.push_back(card);
    }
    return cards;
}

namespace {

class CardList : public cli::BatchCardSource {
public:
    explicit CardList(const std::vector<cli::BatchCard>& cards) : cards_(cards) {}
    Next next(cli::BatchCard& card, QString&) override {
        if (at_ >= cards_.size())
            return End;
        card = cards_[at_++];
        return Card;
    }
    int total() const override { return int(cards_.size()); }

private:
    const std::vector<cli::BatchCard>& cards_;
    std::size_t at_ = 0;
};

[[noreturn]] void runChild(const RunSetup& setup, const QStringList& args, const QString& out,
                           const QString& err) {
    const int outFd =
        ::open(QFile::encodeName(out).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int errFd =
        ::open(QFile::encodeName(err).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(outFd, STDOUT_FILENO);
    ::dup2(errFd, STDERR_FILENO);
    if (setup.fileSizeLimit > 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{rlim_t(setup.fileSizeLimit), rlim_t(setup.fileSizeLimit)};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    QCommandLineParser parser;
    cli::addBatchPrintingOptions(parser);
    const QStringList full =
        QStringList{QStringLiteral("kalyxprn batch")} + cli::attachUsbDevices(args);
    if (!parser.parse(full))
        ::_exit(2);
    CardList cards(setup.cards);
    const int status = cli::runBatchPrinting(parser, {setup.design, {}, setup.data, args}, cards);
    std::fflush(stdout);
    std::fflush(stderr);
    ::_exit(status);
}

} // namespace

BatchRun runBatch(const RunSetup& setup, const QStringList& args) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out")),
                  err = dir.filePath(QStringLiteral("err"));
    BatchRun run;
    const pid_t pid = ::fork();
    if (pid == 0)
        runChild(setup, args, out, err);
    if (pid < 0)
        return run;
    const auto start = kalyxtest::Clock::now();
    int wstatus = 0;
    bool killed = false;
    for (;;) {
        if (::waitpid(pid, &wstatus, WNOHANG) == pid)
            break;
        const long long ms = kalyxtest::msSince(start);
        if ((setup.killAfterMs >= 0 && ms >= setup.killAfterMs) || ms > 90000) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &wstatus, 0);
            killed = true;
            break;
        }
        ::usleep(2000);
    }
    if (!killed && WIFEXITED(wstatus))
        run.status = WEXITSTATUS(wstatus);
    run.out = QString::fromUtf8(kalyxtest::readFile(out));
    run.err = QString::fromUtf8(kalyxtest::readFile(err));
    return run;
}

std::map<int, int> storedRows(const std::vector<cli::BatchCard>& cards,
                              const std::vector<std::string>& folders) {
    std::map<QByteArray, int> rowOf;
    for (const cli::BatchCard& card : cards)
        rowOf[card.job] = card.row;
    std::map<int, int> rows;
    for (const std::string& folder : folders) {
        const QDir dir(QString::fromStdString(folder));
        for (const QString& name : dir.entryList({QStringLiteral("*.prn")}, QDir::Files)) {
            const auto found = rowOf.find(kalyxtest::readFile(dir.filePath(name)));
            ++rows[found == rowOf.end() ? -1 : found->second];
        }
    }
    return rows;
}

} // namespace batchtest
