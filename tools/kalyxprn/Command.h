// The command table of kalyxprn. Each group of commands lives in its own source file and
// returns its entries; main.cpp concatenates the groups and dispatches by name.
#pragma once

#include <QStringList>

#include <vector>

// Exit statuses shared by every command.
enum ExitStatus { ExitSuccess = 0, ExitFailure = 1, ExitUsage = 2 };

struct Command {
    const char* name;
    const char* summary; // one line for the overall help
    // Runs with the arguments after the command name; prints its own --help.
    int (*run)(const QStringList& args);
};

// Document commands: check, info, render, mag, get, set, save, sample.
std::vector<Command> documentCommands();
// Printer commands: printers, send, printer.
std::vector<Command> printerCommands();
// compose.
std::vector<Command> composeCommands();
