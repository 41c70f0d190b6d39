#include "BatchPrinting.h"

#include "BatchDispatcher.h"
#include "BatchInterrupt.h"
#include "CliSupport.h"
#include "HostSystem.h"
#include "PrinterTarget.h"

#include <kalyxcomms/Comms.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QRegularExpression>
#include <QSysInfo>

#include <map>

namespace cli {

namespace {

namespace event = carddesign::journalEvent;
using carddesign::BatchJournal;
using carddesign::RowDue;

const QString command = QStringLiteral("batch");

QString opt(const char* name) {
    return QString::fromLatin1(name);
}

// A word as a shell reads it back.
QString shellWord(const QString& word) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./:=@%+,-]+$"));
    if (plain.match(word).hasMatch())
        return word;
    QString quoted = word;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// The command that resumes: the same one without what it already recorded.
QString resumeCommand(const QStringList& arguments) {
    QStringList words{QStringLiteral("kalyxprn"), command};
    static const QStringList recordedOnce = {
        QStringLiteral("--confirm"), QStringLiteral("--reprint"), QStringLiteral("--reason")};
    // What a program that watched the run asked for; a person resuming does without.
    static const QStringList forPrograms = {QStringLiteral("--progress-json"),
                                            QStringLiteral("--stop-on-input")};
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        const QString name = a.section(QLatin1Char('='), 0, 0);
        if (forPrograms.contains(a))
            continue;
        if (recordedOnce.contains(name)) {
            if (!a.contains(QLatin1Char('=')))
                ++i;
            continue;
        }
        words << shellWord(a);
    }
    return words.join(QLatin1Char(' '));
}

struct Pool {
    std::vector<std::unique_ptr<CardDestination>> destinations;
    QStringList names;
    QStringList arguments; // the options that make this pool again, for the journal
};

bool buildPool(const BatchPrintOptions& options, Pool& pool, int& status) {
    for (const QString& text : options.tcp) {
        TcpAddress address;
        if (!parseTcpAddress(command, text, address)) {
            status = ExitUsage;
            return false;
        }
        pool.destinations.push_back(tcpDestination(address.host, address.port));
        pool.arguments << QStringLiteral("--tcp=") + text;
    }
    for (QString device : options.usb) {
        pool.arguments << QStringLiteral("--usb=") + device;
        if (device.isEmpty()) {
            const std::vector<Orvane::UsbPrinterInfo> found = Orvane::Comms().getUsbPrinterInfos();
            if (found.empty()) {
                err(QStringLiteral("kalyxprn batch: no printer found on USB"));
                status = ExitNoAnswer;
                return false;
            }
            device = QString::fromStdString(found.front().devicePath);
        }
        pool.destinations.push_back(usbDestination(device));
    }
    const QString server = options.server;
    if (!server.isEmpty())
        pool.arguments << QStringLiteral("--server=") + server;
    for (const QString& queue : options.queues) {
        pool.arguments << QStringLiteral("--queue=") + queue;
        QString problem;
        const int senders = queueSlots(server, queue, problem);
        if (senders == 0) {
            err(QStringLiteral("kalyxprn batch: %1").arg(shown(problem)));
            status = ExitNoAnswer;
            return false;
        }
        for (int i = 0; i < senders; ++i)
            pool.destinations.push_back(queueDestination(server, queue));
    }
    for (const auto& destination : pool.destinations)
        pool.names << destination->name();
    // One queue's senders share its name: number them in messages.
    std::map<QString, int> seen;
    for (QString& name : pool.names)
        if (pool.names.count(name) > 1)
            name += QStringLiteral("#%1").arg(++seen[name]);
    return true;
}

// Reads --confirm and --reprint and checks them against the journal before anything is recorded.
bool operatorWords(const BatchPrintOptions& options, const carddesign::JournalHistory& history,
                   std::vector<std::pair<QString, bool>>& confirms, QStringList& reprints) {
    for (const QString& text : options.confirms) {
        const QString key = text.section(QLatin1Char('='), 0, -2);
        const QString word = text.section(QLatin1Char('='), -1);
        if (key.isEmpty() ||
            (word != QLatin1String("printed") && word != QLatin1String("reprint"))) {
            usageError(
                command,
                QStringLiteral("--confirm needs KEY=printed or KEY=reprint, not '%1'").arg(text));
            return false;
        }
        const carddesign::JournalRow* row = history.find(key);
        if (!row || dueOf(*row) != RowDue::Uncertain) {
            usageError(command, QStringLiteral("row %1 is not uncertain in the journal (%2)")
                                    .arg(shown(key), row ? row->state : QStringLiteral("unknown")));
            return false;
        }
        confirms.emplace_back(key, word == QLatin1String("printed"));
    }
    reprints = options.reprints;
    if (!reprints.isEmpty() && options.reason.trimmed().isEmpty()) {
        usageError(command,
                   QStringLiteral("--reprint needs --reason TEXT (it goes in the journal)"));
        return false;
    }
    for (const QString& key : reprints) {
        const carddesign::JournalRow* row = history.find(key);
        if (!row || dueOf(*row) == RowDue::Print) {
            usageError(command, QStringLiteral("row %1 has not printed: it prints with the batch, "
                                               "no --reprint needed")
                                    .arg(shown(key)));
            return false;
        }
    }
    return true;
}

// Who ran the batch where, and what it printed to: also what a program needs to resume it (the
// destinations as options, the rows chosen).
QJsonObject runEntry(const Pool& pool, const QString& rows) {
    QString user = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
    QJsonObject entry{{QStringLiteral("event"), QLatin1String(event::run)},
                      {QStringLiteral("user"), user},
                      {QStringLiteral("host"), QSysInfo::machineHostName()},
                      {QStringLiteral("pid"), QCoreApplication::applicationPid()},
                      {QStringLiteral("printers"), QJsonArray::fromStringList(pool.names)},
                      {QStringLiteral("destinations"), QJsonArray::fromStringList(pool.arguments)}};
    if (!rows.isEmpty())
        entry.insert(QStringLiteral("rows"), rows);
    return entry;
}

void listRows(const QString& title, const std::vector<std::pair<BatchCard, QString>>& rows) {
    if (rows.empty())
        return;
    out(QStringLiteral("%1: %2").arg(title).arg(rows.size()));
    for (const auto& row : rows)
        out(QStringLiteral("  %1: %2")
                .arg(BatchPrintProgress::label(row.first), shown(row.second)));
}

} // namespace

void addBatchPrintingOptions(QCommandLineParser& parser) {
    parser.addOptions({
        {opt("tcp"), QStringLiteral("Print to the printer at HOST[:PORT] (repeatable: a pool)."),
         QStringLiteral("HOST[:PORT]")},
        {opt("usb"),
         QStringLiteral("Print to the USB printer DEVICE, or the first found "
                        "(repeatable)."),
         QStringLiteral("DEVICE")},
        {opt("queue"),
         QStringLiteral("Print through the CUPS queue or class NAME, one job per "
                        "card."),
         QStringLiteral("NAME")},
        {opt("server"),
         QStringLiteral("The CUPS scheduler to print through (default: "
                        "CUPS_SERVER or this machine's)."),
         QStringLiteral("HOST[:PORT]")},
        {opt("journal"), QStringLiteral("The batch's journal (default: DATA.journal)."),
         QStringLiteral("FILE")},
        {opt("confirm"), QStringLiteral("Say whether an uncertain row printed (repeatable)."),
         QStringLiteral("KEY=printed|reprint")},
        {opt("reprint"),
         QStringLiteral("Print the row KEY again on purpose (repeatable; needs "
                        "--reason)."),
         QStringLiteral("KEY")},
        {opt("reason"), QStringLiteral("Why the rows of --reprint print again."),
         QStringLiteral("TEXT")},
        {opt("allow-changed"), QStringLiteral("Resume although the design or data changed since "
                                              "the journal began (rows match by key).")},
        {opt("status"), QStringLiteral("Show what the journal FILE says, per row and in sum."),
         QStringLiteral("JOURNAL")},
        {opt("progress-json"),
         QStringLiteral("Report progress as one JSON object per line and event on standard "
                        "output, for programs that watch the batch.")},
        {opt("stop-on-input"),
         QStringLiteral("Stop as Ctrl+C does (the card in flight finishes) on a line 'stop' or "
                        "the end of standard input.")},
    });
}

QStringList attachUsbDevices(const QStringList& args) {
    QStringList out;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg != QLatin1String("--usb")) {
            out << arg;
            continue;
        }
        const QString next = i + 1 < args.size() ? args.at(i + 1) : QString();
        const bool device =
            next.startsWith(QLatin1String("/dev/")) || next.startsWith(QLatin1String("\\\\"));
        out << QStringLiteral("--usb=") + (device ? next : QString());
        if (device)
            ++i;
    }
    return out;
}

BatchPrintOptions batchPrintOptions(const QCommandLineParser& parser) {
    BatchPrintOptions options;
    options.tcp = parser.values(opt("tcp"));
    options.usb = parser.values(opt("usb"));
    options.queues = parser.values(opt("queue"));
    options.server = parser.value(opt("server"));
    options.journal = parser.value(opt("journal"));
    options.confirms = parser.values(opt("confirm"));
    options.reprints = parser.values(opt("reprint"));
    options.reason = parser.value(opt("reason"));
    options.allowChanged = parser.isSet(opt("allow-changed"));
    options.status = parser.value(opt("status"));
    options.progressJson = parser.isSet(opt("progress-json"));
    options.stopOnInput = parser.isSet(opt("stop-on-input"));
    return options;
}

bool batchPrintingAsked(const QCommandLineParser& parser) {
    return batchPrintOptions(parser).asked();
}

bool batchStatusAsked(const QCommandLineParser& parser) {
    return parser.isSet(opt("status"));
}

int runBatchStatus(const QCommandLineParser& parser) {
    return runBatchStatus(parser.value(opt("status")), parser.isSet(opt("json")));
}

int runBatchPrinting(const QCommandLineParser& parser, const BatchInputs& inputs,
                     BatchCardSource& cards) {
    return runBatchPrinting(batchPrintOptions(parser), inputs, cards);
}

bool BatchPrintOptions::asked() const {
    return !tcp.isEmpty() || !usb.isEmpty() || !queues.isEmpty() || !confirms.isEmpty() ||
           !reprints.isEmpty();
}

int runBatchPrinting(const BatchPrintOptions& options, const BatchInputs& inputs,
                     BatchCardSource& cards) {
    if (inputs.data == QLatin1String("-") && options.journal.isEmpty())
        return usageError(command, QStringLiteral("data from standard input needs --journal FILE"));
    const QString journalPath =
        options.journal.isEmpty() ? inputs.data + QStringLiteral(".journal") : options.journal;
    if (!options.server.isEmpty() && options.queues.isEmpty())
        return usageError(command, QStringLiteral("--server needs --queue NAME"));
    if (!options.reason.isEmpty() && options.reprints.isEmpty())
        return usageError(command, QStringLiteral("--reason goes with --reprint KEY"));
    if (options.stopOnInput && inputs.data == QLatin1String("-"))
        return usageError(command, QStringLiteral("--stop-on-input needs the data in a file"));

    std::unique_ptr<BatchJournal> journal;
    QString problem;
    switch (BatchJournal::openForRun(journalPath, journal, problem)) {
    case BatchJournal::Opened::Busy:
        err(QStringLiteral("kalyxprn batch: another batch is running on the journal %1; wait for "
                           "it to end")
                .arg(shown(journalPath)));
        return ExitFailure;
    case BatchJournal::Opened::Failed:
        err(QStringLiteral("kalyxprn batch: cannot use the journal %1: %2")
                .arg(shown(journalPath), problem));
        return ExitFailure;
    case BatchJournal::Opened::Ok:
        break;
    }
    if (journal->droppedTornLine())
        err(QStringLiteral("kalyxprn batch: the journal's last line was cut short (a crash while "
                           "writing it) and is dropped"));

    carddesign::JournalHeader now;
    if (!carddesign::describeBatch(inputs.design, inputs.designFiles, inputs.data, now, problem)) {
        err(QStringLiteral("kalyxprn batch: cannot read %1").arg(shown(problem)));
        return ExitFailure;
    }
    const auto cannotRecord = [&] {
        err(QStringLiteral("kalyxprn batch: cannot write the journal %1: %2; nothing was sent")
                .arg(shown(journalPath), problem));
        return ExitFailure;
    };
    if (journal->isNew()) {
        if (!journal->start(now, problem))
            return cannotRecord();
    } else {
        const QStringList changes = carddesign::changesBetween(journal->header(), now);
        if (!changes.isEmpty() && !options.allowChanged) {
            err(QStringLiteral("kalyxprn batch: %1 changed since the journal %2 began (it is the "
                               "journal of %3 with %4); --allow-changed resumes anyway, matching "
                               "rows by key")
                    .arg(changes.join(QStringLiteral(" and ")), shown(journalPath),
                         shown(journal->header().design), shown(journal->header().data)));
            return ExitFailure;
        }
        if (!changes.isEmpty() && !journal->recordChange(now, problem))
            return cannotRecord();
    }

    std::vector<std::pair<QString, bool>> confirms;
    QStringList reprints;
    if (!operatorWords(options, journal->history(), confirms, reprints))
        return ExitUsage;
    const carddesign::JournalHistory history = journal->history();
    for (const auto& confirm : confirms) {
        const carddesign::JournalRow* row = history.find(confirm.first);
        const QJsonObject as{{QStringLiteral("as"), confirm.second ? QStringLiteral("printed")
                                                                   : QStringLiteral("reprint")}};
        if (!journal->recordRow(event::confirmed, confirm.first, row ? row->row : 0, as, problem))
            return cannotRecord();
        out(QStringLiteral("row %1: confirmed %2")
                .arg(shown(confirm.first), confirm.second
                                               ? QStringLiteral("printed")
                                               : QStringLiteral("not printed, prints again")));
    }
    for (const QString& key : reprints) {
        const QJsonObject why{{QStringLiteral("reason"), options.reason}};
        if (!journal->recordRow(event::reprint, key, history.find(key)->row, why, problem))
            return cannotRecord();
        out(QStringLiteral("row %1: prints again (%2)").arg(shown(key), shown(options.reason)));
    }

    // A card that may have printed is never printed again without the operator's word.
    const carddesign::JournalHistory confirmed = journal->history();
    QStringList uncertain;
    for (const carddesign::JournalRow& row : confirmed.rows())
        if (dueOf(row) == RowDue::Uncertain)
            uncertain << row.key;
    if (!uncertain.isEmpty()) {
        err(QStringLiteral("kalyxprn batch: %1 row(s) may have printed when the batch stopped; "
                           "look at the cards, then say for each:")
                .arg(uncertain.size()));
        for (const QString& key : uncertain) {
            const carddesign::JournalRow* row = confirmed.find(key);
            err(QStringLiteral("  row %1 (%2) on %3: --confirm %4=printed or --confirm %4=reprint")
                    .arg(row->row)
                    .arg(shown(key), shown(row->printer), shellWord(key)));
        }
        return ExitFailure;
    }

    Pool pool;
    int status = ExitSuccess;
    if (!buildPool(options, pool, status))
        return status;
    if (pool.destinations.empty())
        return ExitSuccess; // only words of the operator to record
    if (!journal->record(runEntry(pool, inputs.rows), problem))
        return cannotRecord();

    // Static: a signal or the input's watcher may set it after this run returned.
    static std::atomic<bool> interrupted;
    interrupted = false;
    catchInterrupts(interrupted);
    if (options.stopOnInput)
        stopOnInput(interrupted);
    const BatchPrintProgress::Style style = options.progressJson ? BatchPrintProgress::Style::Json
                                            : BatchPrintProgress::stdoutIsTerminal()
                                                ? BatchPrintProgress::Style::Terminal
                                                : BatchPrintProgress::Style::Lines;
    BatchPrintProgress progress(pool.names, cards.total(), style);
    const QString title =
        QFileInfo(inputs.design).fileName().section(QLatin1Char('.'), 0, 0) + QStringLiteral(": ");
    int skipped = 0;
    std::vector<std::pair<BatchCard, QString>> refused;
    std::map<QString, int> keysSeen;
    bool dataFailed = false;
    bool stoppedEarly = false;
    QString journalProblem; // a refused row could not be recorded
    {
        BatchDispatcher dispatcher(*journal, std::move(pool.destinations), title, progress,
                                   interrupted);
        BatchCard card;
        for (;;) {
            if (interrupted)
                break;
            const BatchCardSource::Next next = cards.next(card, problem);
            if (next == BatchCardSource::End)
                break;
            if (next == BatchCardSource::Failed) {
                err(QStringLiteral("kalyxprn batch: %1").arg(shown(problem)));
                dataFailed = true;
                break;
            }
            if (card.job.isEmpty() && card.problem.isEmpty())
                card.problem = QStringLiteral("no job was made for it");
            if (card.key.isEmpty() && card.problem.isEmpty())
                card.problem = QStringLiteral("no key: rows are matched by key across runs");
            const auto seen = keysSeen.emplace(card.key, card.row);
            if (!seen.second && card.problem.isEmpty())
                card.problem = QStringLiteral("the key is also row %1's; a key names one card")
                                   .arg(seen.first->second);
            if (!card.problem.isEmpty()) {
                // The record says what became of every row, this one too; a row without a key
                // cannot be matched by a later run and is only listed.
                const QJsonObject why{{QStringLiteral("reason"), card.problem}};
                if (!card.key.isEmpty() &&
                    !journal->recordRow(event::refused, card.key, card.row, why, problem)) {
                    journalProblem = problem;
                    break;
                }
                progress.passed(card, false);
                refused.emplace_back(card, card.problem);
                continue;
            }
            carddesign::JournalRow before;
            if (journal->row(card.key, before) && dueOf(before) != RowDue::Print) {
                progress.passed(card, true);
                ++skipped;
                continue;
            }
            if (!dispatcher.submit(std::move(card))) {
                stoppedEarly = true;
                break;
            }
            card = BatchCard{};
        }
        BatchOutcomes outcomes = dispatcher.finish();
        const int notSent = dispatcher.notSent();
        progress.close();

        out(QStringLiteral("printed: %1, skipped (printed before): %2")
                .arg(outcomes.printed.size())
                .arg(skipped));
        listRows(QStringLiteral("not printed, rows with problems"), refused);
        listRows(QStringLiteral("failed"), outcomes.failed);
        listRows(QStringLiteral("uncertain (confirm with --confirm KEY=printed|reprint)"),
                 outcomes.uncertain);
        for (const QString& broken : outcomes.brokenPrinters)
            out(QStringLiteral("printer out of the pool: %1").arg(shown(broken)));
        out(QStringLiteral("journal: %1").arg(shown(journalPath)));

        if (outcomes.journalProblem.isEmpty())
            outcomes.journalProblem = journalProblem;
        if (!outcomes.journalProblem.isEmpty()) {
            err(QStringLiteral("kalyxprn batch: the journal %1 could not record the next step "
                               "(%2): the batch stopped before sending a card it could not record")
                    .arg(shown(journalPath), outcomes.journalProblem));
            return ExitFailure;
        }
        if (interrupted) {
            err(QStringLiteral("kalyxprn batch: interrupted; the journal is up to date. Resume "
                               "with:\n  %1")
                    .arg(resumeCommand(inputs.arguments)));
            return 130;
        }
        const bool poolGone = int(outcomes.brokenPrinters.size()) == pool.names.size();
        if (poolGone && (stoppedEarly || notSent > 0 || !outcomes.failed.empty())) {
            err(QStringLiteral("kalyxprn batch: every printer broke off; the rows not printed "
                               "print when the same command runs again"));
            return ExitNoAnswer;
        }
        if (dataFailed || !refused.empty() || !outcomes.failed.empty() ||
            !outcomes.uncertain.empty())
            return ExitFailure;
    }
    return ExitSuccess;
}

} // namespace cli
