// The command-line side of the printer commands: list the USB printers, send a job file, and the
// printer console that offers every command of the library on one printer.
#include "CliSupport.h"
#include "Command.h"
#include "JobDelivery.h"
#include "JobFile.h"
#include "MagTracks.h"
#include "PrinterTarget.h"

#include "FileReplacement.h"
#include "KlxPrnHolder.h"

#include <kalyxcomms/Comms.h>
#include <kalyxcomms/Printer.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>

#include <climits>
#include <cstdio>

namespace {

// Update files and Glintmark images travel as one request payload; the protocol carries at most
// 100 MiB in a message.
constexpr qint64 maxPayloadFile = qint64(100) << 20;

QString fromStd(const std::string& text) {
    return QString::fromStdString(text);
}

// ---- printers -------------------------------------------------------------------------------

int runPrinters(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    parser.addOption(json);
    int status = ExitSuccess;
    if (!cli::parse(parser, QStringLiteral("printers"), QStringLiteral("[--json]"),
                    QStringLiteral("Lists the printers of the family attached by USB that answer, "
                                   "in device order: description, USB port and device path. "
                                   "A printer held by another program is not listed."),
                    args, status))
        return status;
    if (!parser.positionalArguments().isEmpty())
        return cli::usageError(QStringLiteral("printers"), QStringLiteral("takes no arguments"));
    const Orvane::Comms comms;
    const std::vector<Orvane::UsbPrinterInfo> printers = comms.getUsbPrinterInfos();
    if (parser.isSet(json)) {
        QJsonArray items;
        for (const Orvane::UsbPrinterInfo& p : printers)
            items.append(QJsonObject{{QStringLiteral("description"), fromStd(p.description)},
                                     {QStringLiteral("location"), fromStd(p.location)},
                                     {QStringLiteral("devicePath"), fromStd(p.devicePath)}});
        cli::outJson(items);
        return ExitSuccess;
    }
    if (printers.empty())
        cli::err(QStringLiteral("kalyxprn printers: no printer found"));
    for (const Orvane::UsbPrinterInfo& p : printers)
        cli::out(QStringLiteral("%1\t%2\t%3")
                     .arg(cli::shown(fromStd(p.devicePath)), cli::shown(fromStd(p.location)),
                          cli::shown(fromStd(p.description))));
    return ExitSuccess;
}

// ---- send -----------------------------------------------------------------------------------

int runSend(const QStringList& rawArgs) {
    const QString command = QStringLiteral("send");
    QCommandLineParser parser;
    const QCommandLineOption usb(QStringLiteral("usb"),
                                 QStringLiteral("USB printer device (default: the first printer "
                                                "found)."),
                                 QStringLiteral("PATH"));
    const QCommandLineOption tcp(QStringLiteral("tcp"),
                                 QStringLiteral("Printer on the network (port 9100 by default)."),
                                 QStringLiteral("HOST[:PORT]"));
    const QCommandLineOption file(QStringLiteral("file"),
                                  QStringLiteral("Write the bytes into a file instead."),
                                  QStringLiteral("PATH"));
    const QCommandLineOption timeout(QStringLiteral("timeout"),
                                     QStringLiteral("Give up when the printer takes no data for "
                                                    "MS milliseconds (default 30000)."),
                                     QStringLiteral("MS"));
    parser.addOptions({usb, tcp, file, timeout});
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A PRN job."));
    const QStringList args = cli::attachUsbPath(
        rawArgs, {QStringLiteral("tcp"), QStringLiteral("file"), QStringLiteral("timeout")}, 1);
    int status = ExitSuccess;
    if (!cli::parse(parser, command,
                    QStringLiteral("FILE (--usb [PATH] | --tcp HOST[:PORT] | --file PATH)"),
                    QStringLiteral("Validates the job as the window does and writes it to the "
                                   "printer unchanged, as the window's Print does. Shows a "
                                   "progress bar on a terminal for jobs over 1 MiB.\n\n") +
                        cli::jobWrittenHelp(),
                    args, status))
        return status;
    if (parser.positionalArguments().size() != 1)
        return cli::usageError(command, QStringLiteral("expects one FILE"));
    const int targets = int(parser.isSet(usb)) + int(parser.isSet(tcp)) + int(parser.isSet(file));
    if (targets != 1)
        return cli::usageError(command, QStringLiteral("give exactly one of --usb, --tcp, --file"));
    cli::TcpAddress address;
    if (parser.isSet(tcp) && !cli::parseTcpAddress(command, parser.value(tcp), address))
        return ExitUsage;
    int takeMs = cli::defaultWriteTimeoutMs;
    if (parser.isSet(timeout) && !cli::parseTimeout(command, parser.value(timeout), takeMs))
        return ExitUsage;

    const QString path = parser.positionalArguments().first();
    QByteArray job;
    if (!cli::readJob(command, path, job))
        return ExitFailure;

    const Orvane::Comms comms;
    cli::OpenedPrinter target =
        parser.isSet(usb)   ? cli::openUsbPrinter(comms, command, parser.value(usb))
        : parser.isSet(tcp) ? cli::openTcpPrinter(comms, command, address)
                            : cli::openFilePrinter(comms, command, parser.value(file));
    if (!target.printer)
        return ExitFailure;
    target.waits.takeMs = takeMs;
    if (parser.isSet(timeout))
        target.printer->setWriteTimeout(std::uint32_t(takeMs));
    qint64 taken = 0;
    if (!cli::writeJob(*target.printer, job, cli::wantsProgress(job.size()), taken))
        return cli::reportSendFailure(command, target, taken, job.size());
    const QString sent =
        QStringLiteral("sent %1 bytes to %2").arg(job.size()).arg(cli::shown(target.name));
    if (parser.isSet(file))
        cli::out(sent);
    else
        cli::sayJobWritten(
            sent, (parser.isSet(usb) ? QStringLiteral("--usb ") : QStringLiteral("--tcp ")) +
                      cli::shown(target.name));
    return ExitSuccess;
}

// ---- printer --------------------------------------------------------------------------------

// The printer of one `printer` invocation, opened when the subcommand has parsed its arguments
// (so `printer COMMAND --help` needs no printer).
class Console {
public:
    // `answerMs`: how long the command waits for the printer's answer; `overridden` when the
    // user chose it rather than the command.
    Console(QString usbPath, bool hasTcp, cli::TcpAddress address, int answerMs, bool overridden)
        : usbPath(std::move(usbPath)), hasTcp(hasTcp), address(std::move(address)),
          answerMs(answerMs), overridden(overridden) {}

    // Opens the printer and runs `call` (the exchange, which also prints its results). The
    // status: the printer cannot be reached or refused (1), the exchange broke off (3).
    template <typename Call> int run(const QString& command, Call&& call) {
        if (!opened.printer) {
            opened = hasTcp ? cli::openTcpPrinter(comms, command, address)
                            : cli::openUsbPrinter(comms, command, usbPath);
            opened.waits.answerMs = answerMs;
            if (opened.printer && overridden)
                opened.printer->setReadTimeout(std::uint32_t(answerMs));
        }
        if (!opened.printer)
            return ExitFailure;
        std::string error;
        const bool exchanged = call(*opened.printer, error);
        return finish(command, exchanged, error);
    }

private:
    int finish(const QString& command, bool exchanged, const std::string& error) const {
        if (exchanged && error.empty())
            return ExitSuccess;
        if (exchanged) {
            cli::err(QStringLiteral("kalyxprn %1: the printer refused: %2")
                         .arg(command, cli::shown(fromStd(error))));
            return ExitFailure;
        }
        const Orvane::FailureReason reason = opened.printer->lastFailure();
        const QString words = cli::failureWords(reason, opened.waits, opened.usb);
        const int status = cli::exitStatusFor(reason);
        if (status != ExitNoAnswer && status != ExitSuccess) {
            cli::err(QStringLiteral("kalyxprn %1: %2 (printer at %3)")
                         .arg(command, words, cli::shown(opened.name)));
            return status;
        }
        cli::err(QStringLiteral("kalyxprn %1: no valid answer from the printer at %2: %3")
                     .arg(command, cli::shown(opened.name), words));
        return ExitNoAnswer;
    }

    const Orvane::Comms comms;
    const QString usbPath;
    const bool hasTcp;
    const cli::TcpAddress address;
    const int answerMs;
    const bool overridden;
    cli::OpenedPrinter opened;
};

struct Subcommand {
    const char* name;
    const char* usage;
    const char* summary;
    int (*run)(const QString& command, const QStringList& args, Console& console);
    // The library's read time-out of the command, for messages.
    int answerSeconds = 7;
};

// Parses a subcommand's arguments; `positionals` is the exact count, or at least -positionals
// when negative.
bool parseSub(QCommandLineParser& parser, const QString& command, const Subcommand& sub,
              const QStringList& args, int positionals, int& status) {
    // Negative numbers (error codes, slots) are arguments, not options.
    QStringList list = args;
    static const QRegularExpression negative(QStringLiteral("^-[0-9]+$"));
    for (int i = 0; i < list.size() && list.at(i) != QLatin1String("--"); ++i)
        if (negative.match(list.at(i)).hasMatch()) {
            list.insert(i, QStringLiteral("--"));
            break;
        }
    if (!cli::parse(parser, command, QString::fromLatin1(sub.usage),
                    QString::fromLatin1(sub.summary), list, status))
        return false;
    const int count = parser.positionalArguments().size();
    if (positionals >= 0 ? count != positionals : count < -positionals) {
        status = cli::usageError(
            command,
            QStringLiteral("usage: kalyxprn %1 %2").arg(command, QString::fromLatin1(sub.usage)));
        return false;
    }
    return true;
}

template <typename T> struct Word {
    const char* text;
    T value;
};

template <typename T, std::size_t N>
bool pickWord(const Word<T> (&words)[N], const QString& text, T& value) {
    for (const Word<T>& w : words)
        if (text == QLatin1String(w.text)) {
            value = w.value;
            return true;
        }
    return false;
}

template <typename T, std::size_t N> QString wordList(const Word<T> (&words)[N]) {
    QStringList list;
    for (const Word<T>& w : words)
        list << QString::fromLatin1(w.text);
    return list.join(QStringLiteral(", "));
}

const Word<Orvane::MoveCardAction> moveWords[] = {
    {"initialise", Orvane::Initialise},
    {"to-standby", Orvane::ToStandby},
    {"to-contact", Orvane::ToContact},
    {"to-contactless", Orvane::ToContactless},
    {"flip", Orvane::Flip},
    {"eject", Orvane::Eject},
};
const Word<Orvane::ClearErrorAction> clearWords[] = {
    {"retry", Orvane::RetryCurrentPrintJob},
    {"cancel", Orvane::CancelCurrentPrintJob},
    {"retry-current-print-job", Orvane::RetryCurrentPrintJob},
    {"cancel-current-print-job", Orvane::CancelCurrentPrintJob},
};
const Word<Orvane::ErrorType> errorWords[] = {
    {"none", Orvane::NoError},         {"card-jam", Orvane::CardJam},
    {"ribbon-out", Orvane::RibbonOut}, {"feeder-empty", Orvane::FeederEmpty},
    {"cover-open", Orvane::CoverOpen}, {"magnetic-encoding-failed", Orvane::MagneticEncodingFailed},
};
const Word<Orvane::PowerDownAction> powerWords[] = {
    {"shut-down", Orvane::ShutDown},
    {"reboot", Orvane::Reboot},
    {"fast-restart", Orvane::FastRestart},
};
const Word<Orvane::Store> storeWords[] = {
    {"shipped", Orvane::Shipped},
    {"default", Orvane::Default},
};

QString positionWord(Orvane::CardPosition position) {
    switch (position) {
    case Orvane::Source:
        return QStringLiteral("source");
    case Orvane::Standby:
        return QStringLiteral("standby");
    case Orvane::EncoderModule:
        return QStringLiteral("encoder-module");
    default:
        return QStringLiteral("unrecognised");
    }
}

bool parseInt(const QString& text, int& value) {
    bool ok = false;
    const qlonglong v = text.toLongLong(&ok, 10);
    if (!ok || v < INT_MIN || v > INT_MAX)
        return false;
    value = int(v);
    return true;
}

// Writes `bytes` to OUT ("-" for stdout).
bool writeOutput(const QString& command, const QString& path,
                 const std::vector<unsigned char>& bytes) {
    QString reason;
    const QByteArray data(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
    if (!cli::writeOutput(path, data, reason)) {
        cli::err(QStringLiteral("kalyxprn %1: cannot write %2: %3")
                     .arg(command, cli::shown(path), reason));
        return false;
    }
    return true;
}

std::vector<unsigned char> toVector(const QByteArray& bytes) {
    return std::vector<unsigned char>(bytes.begin(), bytes.end());
}

void printMap(const std::map<std::string, std::string>& values, bool json) {
    if (json) {
        QJsonObject object;
        for (const auto& [key, value] : values)
            object.insert(fromStd(key), fromStd(value));
        cli::outJson(object);
        return;
    }
    for (const auto& [key, value] : values)
        cli::out(cli::shown(fromStd(key)) + QLatin1Char('=') + cli::shown(fromStd(value)));
}

// Commands that take one protocol word; `call` runs the command with it.
template <typename T, std::size_t N, typename Call>
int runWordCommand(const QString& command, const QStringList& args, Console& console,
                   const Subcommand& sub, const Word<T> (&words)[N], Call&& call,
                   const QString& argument = QStringLiteral("WORD")) {
    QCommandLineParser parser;
    parser.addPositionalArgument(argument, wordList(words));
    int status = ExitSuccess;
    if (!parseSub(parser, command, sub, args, 1, status))
        return status;
    T value{};
    if (!pickWord(words, parser.positionalArguments().first(), value))
        return cli::usageError(command,
                               QStringLiteral("'%1' is not one of %2")
                                   .arg(parser.positionalArguments().first(), wordList(words)));
    return console.run(command,
                       [&](Orvane::Printer& p, std::string& e) { return call(p, value, e); });
}

extern const Subcommand subcommands[];

const Subcommand& sub(const char* name);

int runMove(const QString& command, const QStringList& args, Console& console) {
    return runWordCommand(
        command, args, console, sub("move"), moveWords,
        [](Orvane::Printer& p, Orvane::MoveCardAction action, std::string& e) {
            Orvane::CardPosition position = Orvane::Unrecognised;
            const bool exchanged = p.moveCard(action, position, e);
            if (exchanged && e.empty())
                cli::out(QStringLiteral("position: ") + positionWord(position));
            return exchanged;
        },
        QStringLiteral("ACTION"));
}

int runClearError(const QString& command, const QStringList& args, Console& console) {
    return runWordCommand(command, args, console, sub("clear-error"), clearWords,
                          [](Orvane::Printer& p, Orvane::ClearErrorAction a, std::string& e) {
                              return p.clearError(a, e);
                          });
}

int runForceError(const QString& command, const QStringList& args, Console& console) {
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("CODE"),
                                 QStringLiteral("A number, or one of ") + wordList(errorWords));
    int status = ExitSuccess;
    if (!parseSub(parser, command, sub("force-error"), args, 1, status))
        return status;
    const QString text = parser.positionalArguments().first();
    Orvane::ErrorType code{};
    int number = 0;
    if (parseInt(text, number))
        code = static_cast<Orvane::ErrorType>(number);
    else if (!pickWord(errorWords, text, code))
        return cli::usageError(command, QStringLiteral("'%1' is neither a 32-bit number nor one "
                                                       "of %2")
                                            .arg(text, wordList(errorWords)));
    return console.run(command,
                       [&](Orvane::Printer& p, std::string& e) { return p.forceError(code, e); });
}

int runPowerDown(const QString& command, const QStringList& args, Console& console) {
    return runWordCommand(command, args, console, sub("power-down"), powerWords,
                          [](Orvane::Printer& p, Orvane::PowerDownAction a, std::string& e) {
                              return p.powerDown(a, e);
                          });
}

int runSaveSettings(const QString& command, const QStringList& args, Console& console) {
    QCommandLineParser parser;
    int status = ExitSuccess;
    if (!parseSub(parser, command, sub("save-settings"), args, 0, status))
        return status;
    return console.run(command, [](Orvane::Printer& p, std::string& e) { return p.save(e); });
}

int runLoadSettings(const QString& command, const QStringList& args, Console& console) {
    return runWordCommand(
        command, args, console, sub("load-settings"), storeWords,
        [](Orvane::Printer& p, Orvane::Store s, std::string& e) { return p.load(s, e); });
}

int runGet(const QString& command, const QStringList& args, Console& console) {
    QCommandLineParser parser;
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    parser.addOption(json);
    parser.addPositionalArgument(QStringLiteral("KEY"), QStringLiteral("Setting identifiers."),
                                 QStringLiteral("KEY..."));
    int status = ExitSuccess;
    if (!parseSub(parser, command, sub("get"), args, -1, status))
        return status;
    std::map<std::string, std::string> settings;
    for (const QString& key : parser.positionalArguments())
        settings[key.toStdString()];
    return console.run(command, [&](Orvane::Printer& p, std::string& e) {
        const bool exchanged = p.readSettings(settings, e);
        if (exchanged && e.empty())
            printMap(settings, parser.isSet(json));
        return exchanged;
    });
}

int runSet(const QString& command, const QStringList& args, Console& console) {
    QCommandLineParser parser;
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    parser.addOption(json);
    parser.addPositionalArgument(QStringLiteral("KEY=VALUE"), QStringLiteral("Settings to write."),
                                 QStringLiteral("KEY=VALUE..."));
    int status = ExitSuccess;
    if (!parseSub(parser, command, sub("set"), args, -1, status))
        return status;
    std::map<std::string, std::string> settings;
    for (const QString& pair : parser.positionalArguments()) {
        const int at = pair.indexOf(QLatin1Char('='));
        if (at <= 0)
            return cli::usageError(command, QStringLiteral("'%1' is not KEY=VALUE").arg(pair));
        settings[pair.left(at).toStdString()] = pair.mid(at + 1).toStdString();
    }
    return console.run(command, [&](Orvane::Printer& p, std::string& e) {
        const bool exchanged = p.writeSettings(settings, e);
        // On a refusal the refusal alone: the values it sends back are not an answer to trust.
        if (exchanged && e.empty())
            printMap(settings, parser.isSet(json));
        return exchanged;
    });
}

int runMagRead(const QString& command, const QStringList& args, Console& console) {
    QCommandLineParser parser;
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    const QCommandLineOption option(QStringLiteral("option"),
                                    QStringLiteral("A read option (repeatable), such as "
                                                   "coercivity=low."),
                                    QStringLiteral("NAME=VALUE"));
    parser.addOptions({json, option});
    int status = ExitSuccess;
    if (!parseSub(parser, command, sub("mag-read"), args, 0, status))
        return status;
    std::map<std::string, std::string> options;
    for (const QString& pair : parser.values(option)) {
        const int at = pair.indexOf(QLatin1Char('='));
        if (at <= 0)
            return cli::usageError(command, QStringLiteral("'%1' is not NAME=VALUE").arg(pair));
        options[pair.left(at).toStdString()] = pair.mid(at + 1).toStdString();
    }
    return console.run(command, [&](Orvane::Printer& p, std::string& e) {
        Orvane::MagData data;
        const bool exchanged = p.magRead(options, data, e);
        if (!exchanged || !e.empty())
            return exchanged;
        QStringList lines;
        QJsonArray items;
        for (const cli::IsoTrack& t : cli::decodeIsoTracks(data)) {
            if (parser.isSet(json)) {
                items.append(QJsonObject{{QStringLiteral("track"), t.track},
                                         {QStringLiteral("numBits"), t.bits.size()},
                                         {QStringLiteral("data"), t.text},
                                         {QStringLiteral("lrc"), t.lrc},
                                         {QStringLiteral("bits"), t.bits}});
                continue;
            }
            lines << QStringLiteral("Track %1 data: %2").arg(t.track).arg(cli::shown(t.text))
                  << QStringLiteral("Track %1 LRC: %2").arg(t.track).arg(cli::shown(t.lrc))
                  << QStringLiteral("Track %1 bits (%2): %3")
                         .arg(t.track)
                         .arg(t.bits.size())
                         .arg(t.bits);
        }
        if (parser.isSet(json))
            cli::outJson(QJsonObject{{QStringLiteral("tracks"), items}});
        else
            cli::out(lines.join(QLatin1Char('\n')));
        return true;
    });
}

// Commands that send a file: glintmark, update-capability, update-software.
int runUpload(const QString& command, const QStringList& args, Console& console,
              const Subcommand& sub, bool withSlot) {
    QCommandLineParser parser;
    if (withSlot)
        parser.addPositionalArgument(QStringLiteral("SLOT"), QStringLiteral("Slot number."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The file to send."));
    int status = ExitSuccess;
    if (!parseSub(parser, command, sub, args, withSlot ? 2 : 1, status))
        return status;
    int slot = 0;
    if (withSlot && !parseInt(parser.positionalArguments().first(), slot))
        return cli::usageError(command, QStringLiteral("SLOT must be a 32-bit number"));
    QByteArray bytes;
    if (!cli::readInputFile(command, parser.positionalArguments().last(), maxPayloadFile, bytes))
        return ExitFailure;
    return console.run(command, [&](Orvane::Printer& p, std::string& e) {
        const std::vector<unsigned char> payload = toVector(bytes);
        bytes.clear();
        if (withSlot)
            return p.updateGlintmark(slot, payload, e);
        if (QLatin1String(sub.name) == QLatin1String("update-capability"))
            return p.updateCapability(payload, e);
        return p.updateSoftware(payload, e);
    });
}

int runGlintmark(const QString& command, const QStringList& args, Console& console) {
    return runUpload(command, args, console, sub("glintmark"), true);
}

int runUpdateCapability(const QString& command, const QStringList& args, Console& console) {
    return runUpload(command, args, console, sub("update-capability"), false);
}

int runUpdateSoftware(const QString& command, const QStringList& args, Console& console) {
    return runUpload(command, args, console, sub("update-software"), false);
}

// Commands that fetch bytes into a file: report, glintmark-preview.
int runDownload(const QString& command, const QStringList& args, Console& console,
                const Subcommand& sub, bool withSlot) {
    QCommandLineParser parser;
    if (withSlot)
        parser.addPositionalArgument(QStringLiteral("SLOT"), QStringLiteral("Slot number."));
    parser.addPositionalArgument(QStringLiteral("OUT"),
                                 QStringLiteral("File to write, '-' for standard output."));
    int status = ExitSuccess;
    if (!parseSub(parser, command, sub, args, withSlot ? 2 : 1, status))
        return status;
    int slot = 0;
    if (withSlot && !parseInt(parser.positionalArguments().first(), slot))
        return cli::usageError(command, QStringLiteral("SLOT must be a 32-bit number"));
    std::vector<unsigned char> bytes;
    status = console.run(command, [&](Orvane::Printer& p, std::string& e) {
        return withSlot ? p.getGlintmarkPreview(slot, bytes, e) : p.getReport(bytes, e);
    });
    if (status == ExitSuccess && !writeOutput(command, parser.positionalArguments().last(), bytes))
        status = ExitFailure;
    return status;
}

int runReport(const QString& command, const QStringList& args, Console& console) {
    return runDownload(command, args, console, sub("report"), false);
}

int runGlintmarkPreview(const QString& command, const QStringList& args, Console& console) {
    return runDownload(command, args, console, sub("glintmark-preview"), true);
}

int runCalibrate(const QString& command, const QStringList& args, Console& console) {
    QCommandLineParser parser;
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    parser.addOption(json);
    int status = ExitSuccess;
    if (!parseSub(parser, command, sub("calibrate"), args, 0, status))
        return status;
    return console.run(command, [&](Orvane::Printer& p, std::string& e) {
        std::map<std::string, std::string> results;
        const bool exchanged = p.calibrateDyeCtrl(results, e);
        if (exchanged && e.empty())
            printMap(results, parser.isSet(json));
        return exchanged;
    });
}

const Subcommand subcommands[] = {
    {"move", "ACTION",
     "Moves the card and prints where it is: initialise, to-standby, "
     "to-contact, to-contactless, flip or eject.",
     runMove, 40},
    {"clear-error", "retry|cancel",
     "Clears the printer's error, retrying or cancelling the "
     "current print job.",
     runClearError},
    {"force-error", "CODE",
     "Puts the printer into the error CODE (a number or card-jam, "
     "ribbon-out, feeder-empty, cover-open, magnetic-encoding-failed, "
     "none).",
     runForceError},
    {"power-down", "shut-down|reboot|fast-restart", "Shuts the printer down or restarts it.",
     runPowerDown},
    {"save-settings", "", "Stores the current settings in the printer.", runSaveSettings},
    {"load-settings", "shipped|default", "Loads the shipped or the default settings.",
     runLoadSettings},
    {"get", "[--json] KEY...",
     "Prints settings as KEY=VALUE; a key the printer leaves unanswered "
     "shows empty.",
     runGet},
    {"set", "[--json] KEY=VALUE...",
     "Writes settings and prints the values the printer holds "
     "afterwards.",
     runSet},
    {"mag-read", "[--option NAME=VALUE...] [--json]",
     "Reads the magnetic stripe and prints each track as ISO text (7-bit cells on track 1, "
     "5-bit cells on tracks 2 and 3), its LRC cell, and its bits.",
     runMagRead, 40},
    {"glintmark", "SLOT FILE", "Stores the image in FILE in the Glintmark slot.", runGlintmark},
    {"update-capability", "FILE", "Sends a capability file.", runUpdateCapability},
    {"update-software", "FILE", "Sends a software image.", runUpdateSoftware},
    {"report", "OUT", "Writes the printer's report to OUT ('-' for standard output).", runReport},
    {"glintmark-preview", "SLOT OUT",
     "Writes the preview of a Glintmark slot to OUT ('-' for "
     "standard output).",
     runGlintmarkPreview},
    {"calibrate", "[--json]", "Runs the dye calibration and prints its results as KEY=VALUE.",
     runCalibrate, 9},
};

const Subcommand& sub(const char* name) {
    for (const Subcommand& s : subcommands)
        if (qstrcmp(s.name, name) == 0)
            return s;
    return subcommands[0];
}

QString printerDescription() {
    QString text = QStringLiteral(
        "Runs one command on a printer. Exit status: 0 the printer accepted it, 1 it refused "
        "(its message on stderr) or the printer cannot be reached, 2 usage error, 3 no valid "
        "answer (stderr says why: a time-out, a lost connection, a broken message).\n\n"
        "An answer is awaited 7 s (40 s for move and mag-read, 9 s for calibrate; --timeout "
        "chooses another), and the printer must take each request within 30 s.\n\n"
        "Commands:\n");
    for (const Subcommand& s : subcommands)
        text += QStringLiteral("  %1 %2\n")
                    .arg(QString::fromLatin1(s.name), -18)
                    .arg(QString::fromLatin1(s.usage));
    text += QStringLiteral("\n'kalyxprn printer COMMAND --help' describes one command.");
    return text;
}

int runPrinter(const QStringList& args) {
    const QString command = QStringLiteral("printer");
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption usb(QStringLiteral("usb"),
                                 QStringLiteral("USB printer device, such as /dev/usb/lp0."),
                                 QStringLiteral("PATH"));
    const QCommandLineOption tcp(QStringLiteral("tcp"),
                                 QStringLiteral("Printer on the network (port 9100 by default)."),
                                 QStringLiteral("HOST[:PORT]"));
    const QCommandLineOption timeout(QStringLiteral("timeout"),
                                     QStringLiteral("Wait at most MS milliseconds for the answer "
                                                    "(default: the command's own, see above)."),
                                     QStringLiteral("MS"));
    parser.addOptions({usb, tcp, timeout});
    parser.addPositionalArgument(QStringLiteral("COMMAND"), QStringLiteral("See below."),
                                 QStringLiteral("COMMAND [ARGS...]"));
    int status = ExitSuccess;
    if (!cli::parse(parser, command,
                    QStringLiteral("(--usb PATH | --tcp HOST[:PORT]) [--timeout MS] COMMAND "
                                   "[ARGS...]"),
                    printerDescription(), args, status))
        return status;
    QStringList rest = parser.positionalArguments();
    if (rest.isEmpty())
        return cli::usageError(command, QStringLiteral("no COMMAND given (see 'kalyxprn printer "
                                                       "--help')"));
    const QString name = rest.takeFirst();
    const Subcommand* chosen = nullptr;
    for (const Subcommand& s : subcommands)
        if (name == QLatin1String(s.name))
            chosen = &s;
    if (!chosen)
        return cli::usageError(command, QStringLiteral("unknown command '%1' (see 'kalyxprn "
                                                       "printer --help')")
                                            .arg(name));
    const bool wantsHelp =
        rest.contains(QStringLiteral("--help")) || rest.contains(QStringLiteral("-h"));
    if (!wantsHelp && int(parser.isSet(usb)) + int(parser.isSet(tcp)) != 1)
        return cli::usageError(command, QStringLiteral("give exactly one of --usb PATH, --tcp "
                                                       "HOST[:PORT]"));
    cli::TcpAddress address;
    if (parser.isSet(tcp) && !cli::parseTcpAddress(command, parser.value(tcp), address))
        return ExitUsage;
    if (parser.isSet(usb) && parser.value(usb).isEmpty())
        return cli::usageError(command, QStringLiteral("--usb needs a device PATH"));
    int answerMs = chosen->answerSeconds * 1000;
    if (parser.isSet(timeout) && !cli::parseTimeout(command, parser.value(timeout), answerMs))
        return ExitUsage;
    Console console(parser.value(usb), parser.isSet(tcp), address, answerMs, parser.isSet(timeout));
    return chosen->run(command + QLatin1Char(' ') + name, rest, console);
}

} // namespace

std::vector<Command> printerCommands() {
    return {
        {"printers", "list the printers attached by USB", runPrinters},
        {"send", "write a job file to a printer", runSend},
        {"printer", "run a command on a printer (moves, settings, updates...)", runPrinter},
    };
}
