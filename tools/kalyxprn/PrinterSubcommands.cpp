// The printer console's sub-commands, one function each, and their table.
#include "JobChecks.h"
#include "PrinterConsole.h"

#include "Completion.h"
#include "KeyValue.h"
#include "MagTracks.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <climits>
#include <map>

namespace cli {

namespace {

// Update files and Glintmark images travel as one request payload; the protocol carries at most
// 100 MiB in a message.
constexpr qint64 maxPayloadFile = qint64(100) << 20;

using Payload = std::vector<unsigned char>;

QString fromStd(const std::string& text) {
    return QString::fromStdString(text);
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
bool writeBytes(const QString& command, const QString& path, const Payload& bytes) {
    QString reason;
    const QByteArray data(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
    if (!writeOutput(path, data, reason)) {
        err(QStringLiteral("kalyxprn %1: cannot write %2: %3").arg(command, shown(path), reason));
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
        outJson(object);
        return;
    }
    for (const auto& [key, value] : values)
        out(shown(fromStd(key)) + QLatin1Char('=') + shown(fromStd(value)));
}

// Commands that take one protocol word; `call` runs the command with it.
template <typename T, std::size_t N, typename Call>
int runWordCommand(const QString& command, const QStringList& args, Console& console,
                   const Subcommand& sub, const Word<T> (&words)[N], Call&& call,
                   const QString& argument = QStringLiteral("WORD")) {
    QCommandLineParser parser;
    parser.addPositionalArgument(argument, wordList(words));
    describeWords(wordList(words).split(QStringLiteral(", ")));
    int status = ExitSuccess;
    if (!parseSub(parser, command, sub, args, 1, status))
        return status;
    T value{};
    if (!pickWord(words, parser.positionalArguments().first(), value))
        return usageError(command, QStringLiteral("'%1' is not one of %2")
                                       .arg(parser.positionalArguments().first(), wordList(words)));
    return console.run(command,
                       [&](Orvane::Printer& p, std::string& e) { return call(p, value, e); });
}

int runMove(const Subcommand& self, const QString& command, const QStringList& args,
            Console& console) {
    return runWordCommand(
        command, args, console, self, moveWords,
        [](Orvane::Printer& p, Orvane::MoveCardAction action, std::string& e) {
            Orvane::CardPosition position = Orvane::Unrecognised;
            const bool exchanged = p.moveCard(action, position, e);
            if (exchanged && e.empty())
                out(QStringLiteral("position: ") + positionWord(position));
            return exchanged;
        },
        QStringLiteral("ACTION"));
}

int runClearError(const Subcommand& self, const QString& command, const QStringList& args,
                  Console& console) {
    return runWordCommand(command, args, console, self, clearWords,
                          [](Orvane::Printer& p, Orvane::ClearErrorAction a, std::string& e) {
                              return p.clearError(a, e);
                          });
}

int runForceError(const Subcommand& self, const QString& command, const QStringList& args,
                  Console& console) {
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("CODE"),
                                 QStringLiteral("A number, or one of ") + wordList(errorWords));
    describeWords(wordList(errorWords).split(QStringLiteral(", ")));
    int status = ExitSuccess;
    if (!parseSub(parser, command, self, args, 1, status))
        return status;
    const QString text = parser.positionalArguments().first();
    Orvane::ErrorType code{};
    int number = 0;
    if (parseInt(text, number))
        code = static_cast<Orvane::ErrorType>(number);
    else if (!pickWord(errorWords, text, code))
        return usageError(command, QStringLiteral("'%1' is neither a 32-bit number nor one "
                                                  "of %2")
                                       .arg(text, wordList(errorWords)));
    return console.run(command,
                       [&](Orvane::Printer& p, std::string& e) { return p.forceError(code, e); });
}

int runPowerDown(const Subcommand& self, const QString& command, const QStringList& args,
                 Console& console) {
    return runWordCommand(command, args, console, self, powerWords,
                          [](Orvane::Printer& p, Orvane::PowerDownAction a, std::string& e) {
                              return p.powerDown(a, e);
                          });
}

int runSaveSettings(const Subcommand& self, const QString& command, const QStringList& args,
                    Console& console) {
    QCommandLineParser parser;
    int status = ExitSuccess;
    if (!parseSub(parser, command, self, args, 0, status))
        return status;
    return console.run(command, [](Orvane::Printer& p, std::string& e) { return p.save(e); });
}

int runLoadSettings(const Subcommand& self, const QString& command, const QStringList& args,
                    Console& console) {
    return runWordCommand(
        command, args, console, self, storeWords,
        [](Orvane::Printer& p, Orvane::Store s, std::string& e) { return p.load(s, e); });
}

int runGet(const Subcommand& self, const QString& command, const QStringList& args,
           Console& console) {
    QCommandLineParser parser;
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    parser.addOption(json);
    parser.addPositionalArgument(QStringLiteral("KEY"), QStringLiteral("Setting identifiers."),
                                 QStringLiteral("KEY..."));
    int status = ExitSuccess;
    if (!parseSub(parser, command, self, args, -1, status))
        return status;
    std::map<std::string, std::string> settings;
    for (const QString& key : parser.positionalArguments())
        settings[key.toStdString()];
    bool notAPrinter = false;
    const int result = console.run(command, [&](Orvane::Printer& p, std::string& e) {
        const bool exchanged = p.readSettings(settings, e);
        // An answer without a single value may come from a peer that is no printer (one that
        // echoes what it is sent): its identity tells.
        const bool nothing = std::all_of(settings.begin(), settings.end(),
                                         [](const auto& entry) { return entry.second.empty(); });
        notAPrinter = exchanged && e.empty() && nothing && !answersAsPrinter(p);
        if (exchanged && e.empty() && !notAPrinter)
            printMap(settings, parser.isSet(json));
        return exchanged;
    });
    if (!notAPrinter)
        return result;
    err(QStringLiteral("kalyxprn %1: the answer holds no printer identity: the device does not "
                       "answer like a Kalyx printer (check the address)")
            .arg(command));
    return ExitFailure;
}

int runSet(const Subcommand& self, const QString& command, const QStringList& args,
           Console& console) {
    QCommandLineParser parser;
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    parser.addOption(json);
    parser.addPositionalArgument(QStringLiteral("KEY=VALUE"), QStringLiteral("Settings to write."),
                                 QStringLiteral("KEY=VALUE..."));
    int status = ExitSuccess;
    if (!parseSub(parser, command, self, args, -1, status))
        return status;
    std::map<std::string, std::string> settings;
    if (!parseKeyValues(command, parser.positionalArguments(), "KEY=VALUE", settings, status))
        return status;
    return console.run(command, [&](Orvane::Printer& p, std::string& e) {
        const bool exchanged = p.writeSettings(settings, e);
        // On a refusal the refusal alone: the values it sends back are not an answer to trust.
        if (exchanged && e.empty())
            printMap(settings, parser.isSet(json));
        return exchanged;
    });
}

int runMagRead(const Subcommand& self, const QString& command, const QStringList& args,
               Console& console) {
    QCommandLineParser parser;
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    const QCommandLineOption option(QStringLiteral("option"),
                                    QStringLiteral("A read option (repeatable), such as "
                                                   "coercivity=low."),
                                    QStringLiteral("NAME=VALUE"));
    parser.addOptions({json, option});
    int status = ExitSuccess;
    if (!parseSub(parser, command, self, args, 0, status))
        return status;
    std::map<std::string, std::string> options;
    if (!parseKeyValues(command, parser.values(option), "NAME=VALUE", options, status))
        return status;
    return console.run(command, [&](Orvane::Printer& p, std::string& e) {
        Orvane::MagData data;
        const bool exchanged = p.magRead(options, data, e);
        if (!exchanged || !e.empty())
            return exchanged;
        QStringList lines;
        QJsonArray items;
        for (const IsoTrack& t : decodeIsoTracks(data)) {
            if (parser.isSet(json)) {
                items.append(QJsonObject{{QStringLiteral("track"), t.track},
                                         {QStringLiteral("numBits"), t.bits.size()},
                                         {QStringLiteral("data"), t.text},
                                         {QStringLiteral("lrc"), t.lrc},
                                         {QStringLiteral("bits"), t.bits}});
                continue;
            }
            lines << QStringLiteral("Track %1 data: %2").arg(t.track).arg(shown(t.text))
                  << QStringLiteral("Track %1 LRC: %2").arg(t.track).arg(shown(t.lrc))
                  << QStringLiteral("Track %1 bits (%2): %3")
                         .arg(t.track)
                         .arg(t.bits.size())
                         .arg(t.bits);
        }
        if (parser.isSet(json))
            outJson(QJsonObject{{QStringLiteral("tracks"), items}});
        else
            out(lines.join(QLatin1Char('\n')));
        return true;
    });
}

// Commands that send a file: glintmark, update-capability, update-software.
template <typename Call>
int runUpload(const Subcommand& sub, const QString& command, const QStringList& args,
              Console& console, bool withSlot, Call&& call) {
    QCommandLineParser parser;
    if (withSlot)
        parser.addPositionalArgument(QStringLiteral("SLOT"), QStringLiteral("Slot number."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The file to send."));
    int status = ExitSuccess;
    if (!parseSub(parser, command, sub, args, withSlot ? 2 : 1, status))
        return status;
    int slot = 0;
    if (withSlot && !parseInt(parser.positionalArguments().first(), slot))
        return usageError(command, QStringLiteral("SLOT must be a 32-bit number"));
    QByteArray bytes;
    if (!readInputFile(command, parser.positionalArguments().last(), maxPayloadFile, bytes))
        return ExitFailure;
    return console.run(command, [&](Orvane::Printer& p, std::string& e) {
        const std::vector<unsigned char> payload = toVector(bytes);
        bytes.clear();
        return call(p, slot, payload, e);
    });
}

int runGlintmark(const Subcommand& self, const QString& command, const QStringList& args,
                 Console& console) {
    return runUpload(self, command, args, console, true,
                     [](Orvane::Printer& p, int slot, const Payload& payload, std::string& e) {
                         return p.updateGlintmark(slot, payload, e);
                     });
}

int runUpdateCapability(const Subcommand& self, const QString& command, const QStringList& args,
                        Console& console) {
    return runUpload(self, command, args, console, false,
                     [](Orvane::Printer& p, int, const Payload& payload, std::string& e) {
                         return p.updateCapability(payload, e);
                     });
}

int runUpdateSoftware(const Subcommand& self, const QString& command, const QStringList& args,
                      Console& console) {
    return runUpload(self, command, args, console, false,
                     [](Orvane::Printer& p, int, const Payload& payload, std::string& e) {
                         return p.updateSoftware(payload, e);
                     });
}

// Commands that fetch bytes into a file: report, glintmark-preview.
int runDownload(const Subcommand& sub, const QString& command, const QStringList& args,
                Console& console, bool withSlot) {
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
        return usageError(command, QStringLiteral("SLOT must be a 32-bit number"));
    std::vector<unsigned char> bytes;
    status = console.run(command, [&](Orvane::Printer& p, std::string& e) {
        return withSlot ? p.getGlintmarkPreview(slot, bytes, e) : p.getReport(bytes, e);
    });
    if (status == ExitSuccess && !writeBytes(command, parser.positionalArguments().last(), bytes))
        status = ExitFailure;
    return status;
}

int runReport(const Subcommand& self, const QString& command, const QStringList& args,
              Console& console) {
    return runDownload(self, command, args, console, false);
}

int runGlintmarkPreview(const Subcommand& self, const QString& command, const QStringList& args,
                        Console& console) {
    return runDownload(self, command, args, console, true);
}

int runCalibrate(const Subcommand& self, const QString& command, const QStringList& args,
                 Console& console) {
    QCommandLineParser parser;
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    parser.addOption(json);
    int status = ExitSuccess;
    if (!parseSub(parser, command, self, args, 0, status))
        return status;
    return console.run(command, [&](Orvane::Printer& p, std::string& e) {
        std::map<std::string, std::string> results;
        const bool exchanged = p.calibrateDyeCtrl(results, e);
        if (exchanged && e.empty())
            printMap(results, parser.isSet(json));
        return exchanged;
    });
}

} // namespace

const std::vector<Subcommand>& printerSubcommands() {
    static const std::vector<Subcommand> table = {
        {"move", "ACTION",
         "Moves the card and prints where it is: initialise, to-standby, "
         "to-contact, to-contactless, flip or eject.",
         runMove, int(Orvane::CardMotionTimeoutMs)},
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
         runMagRead, int(Orvane::CardMotionTimeoutMs)},
        {"glintmark", "SLOT FILE", "Stores the image in FILE in the Glintmark slot.", runGlintmark},
        {"update-capability", "FILE", "Sends a capability file.", runUpdateCapability},
        {"update-software", "FILE", "Sends a software image.", runUpdateSoftware},
        {"report", "OUT", "Writes the printer's report to OUT ('-' for standard output).",
         runReport},
        {"glintmark-preview", "SLOT OUT",
         "Writes the preview of a Glintmark slot to OUT ('-' for "
         "standard output).",
         runGlintmarkPreview},
        {"calibrate", "[--json]", "Runs the dye calibration and prints its results as KEY=VALUE.",
         runCalibrate, int(Orvane::CalibrationTimeoutMs)},
    };
    return table;
}

} // namespace cli
