#include "BatchRun.h"

#include "BatchPrinting.h"
#include "FileBytes.h"
#include "Waiting.h"
#include <kalyxdocument/PrnJobBuilder.h>

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
                           const QString& err, int input) {
    if (input >= 0) {
        ::dup2(input, STDIN_FILENO);
        ::close(input);
    }
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
    parser.addOption({QStringLiteral("json"), QStringLiteral("JSON")});
    if (!parser.parse(full))
        ::_exit(2);
    CardList cards(setup.cards);
    const cli::BatchPrintOptions options = cli::batchPrintOptions(parser);
    const int status =
        options.status.isEmpty()
            ? cli::runBatchPrinting(options, {setup.design, {}, setup.data, args, {}}, cards)
            : cli::runBatchStatus(options.status, parser.isSet(QStringLiteral("json")));
    std::fflush(stdout);
    std::fflush(stderr);
    ::_exit(status);
}

} // namespace

BackgroundRun::BackgroundRun(const RunSetup& setup, const QStringList& args)
    : dir_(std::make_unique<QTemporaryDir>()), killAfterMs_(setup.killAfterMs) {
    const QString out = dir_->filePath(QStringLiteral("out")),
                  err = dir_->filePath(QStringLiteral("err"));
    int pipeEnds[2] = {-1, -1};
    if (setup.inputPipe && ::pipe(pipeEnds) != 0)
        pipeEnds[0] = pipeEnds[1] = -1;
    pid_ = ::fork();
    if (pid_ == 0) {
        if (pipeEnds[1] >= 0)
            ::close(pipeEnds[1]);
        runChild(setup, args, out, err, pipeEnds[0]);
    }
    if (pipeEnds[0] >= 0)
        ::close(pipeEnds[0]);
    input_ = pipeEnds[1];
    started_ = kalyxtest::Clock::now();
}

void BackgroundRun::say(const QByteArray& text) {
    std::signal(SIGPIPE, SIG_IGN); // a run that ended already: the write fails instead
    if (input_ >= 0 && ::write(input_, text.constData(), std::size_t(text.size())) != text.size())
        closeInput();
}

void BackgroundRun::closeInput() {
    if (input_ >= 0)
        ::close(input_);
    input_ = -1;
}

QString BackgroundRun::outputSoFar() const {
    return QString::fromUtf8(kalyxtest::readFile(dir_->filePath(QStringLiteral("out"))));
}

BackgroundRun::~BackgroundRun() {
    closeInput();
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

void BackgroundRun::signal(int number) {
    if (pid_ > 0)
        ::kill(pid_, number);
}

BatchRun BackgroundRun::wait() {
    BatchRun run;
    if (pid_ <= 0)
        return run;
    int wstatus = 0;
    bool killed = false;
    for (;;) {
        if (::waitpid(pid_, &wstatus, WNOHANG) == pid_)
            break;
        const long long ms = kalyxtest::msSince(started_);
        if ((killAfterMs_ >= 0 && ms >= killAfterMs_) || ms > 90000) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &wstatus, 0);
            killed = true;
            break;
        }
        ::usleep(2000);
    }
    pid_ = -1;
    if (!killed && WIFEXITED(wstatus))
        run.status = WEXITSTATUS(wstatus);
    run.out = QString::fromUtf8(kalyxtest::readFile(dir_->filePath(QStringLiteral("out"))));
    run.err = QString::fromUtf8(kalyxtest::readFile(dir_->filePath(QStringLiteral("err"))));
    return run;
}

BatchRun runBatch(const RunSetup& setup, const QStringList& args) {
    return BackgroundRun(setup, args).wait();
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
