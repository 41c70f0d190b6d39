// The command table of kalyxprn (CommandTable.cpp). Each command lives in a file of its own and
// is one row of the table; the overall help and the shell completion are made from the table.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// Exit statuses shared by every command.
enum ExitStatus { ExitSuccess = 0, ExitFailure = 1, ExitUsage = 2 };

namespace cli {
struct CommandDescription;
}

struct Command {
    const char* name;
    const char* summary; // one line for the overall help
    // Runs with the arguments after the command name; prints its own --help.
    int (*run)(const QStringList& args);
    // The descriptions of its own commands (those of `printer`); null for none.
    std::vector<cli::CommandDescription> (*subcommands)() = nullptr;
};

// Every command, in the order the help lists them.
const std::vector<Command>& commandTable();

// The commands' entry points, each in its own file.
int runCheck(const QStringList& args);
int runInfo(const QStringList& args);
int runRender(const QStringList& args);
int runMag(const QStringList& args);
int runGet(const QStringList& args);
int runSet(const QStringList& args);
int runSave(const QStringList& args);
int runSample(const QStringList& args);
int runPrinters(const QStringList& args);
int runSend(const QStringList& args);
int runPrinter(const QStringList& args);
std::vector<cli::CommandDescription> describePrinterCommands();
int runCompose(const QStringList& args);
int runBatch(const QStringList& args);
