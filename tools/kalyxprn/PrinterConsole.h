// The printer console (`kalyxprn printer`): one printer, opened once a sub-command has parsed its
// arguments, and the table of sub-commands (PrinterSubcommands.cpp) it dispatches to.
#pragma once

#include "CliSupport.h"
#include "PrinterTarget.h"

#include <kalyxcomms/Comms.h>
#include <kalyxcomms/Printer.h>

#include <QCommandLineParser>

#include <string>
#include <vector>

namespace cli {

// The printer of one `printer` invocation, opened when the sub-command has parsed its arguments
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
    int finish(const QString& command, bool exchanged, const std::string& error) const;

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
    // Runs with the arguments after the sub-command's name; `self` is this row.
    int (*run)(const Subcommand& self, const QString& command, const QStringList& args,
               Console& console);
    // The library's read time-out of the command, for messages.
    int answerMs = int(Orvane::AnswerTimeoutMs);
};

// Every sub-command, in the order the help lists them.
const std::vector<Subcommand>& printerSubcommands();
// The row named `name`; null when there is none.
const Subcommand* findSubcommand(const QString& name);

// Parses a sub-command's arguments; `positionals` is the exact count, or at least -positionals
// when negative.
bool parseSub(QCommandLineParser& parser, const QString& command, const Subcommand& sub,
              const QStringList& args, int positionals, int& status);

} // namespace cli
