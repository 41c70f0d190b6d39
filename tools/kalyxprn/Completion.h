// What the shell completion of kalyxprn knows, taken from the commands themselves: each command
// is run for its --help in a describing mode, where parsing records the options the command
// declared instead of acting. The completion script is made from those records, so it cannot
// drift from the program.
#pragma once

#include "Command.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace cli {

struct CommandDescription {
    QString name;
    QString usage;
    QStringList options;       // every option, with its dashes
    QStringList valueOptions;  // those that take a value
    QStringList fileOptions;   // those whose value is a file
    QStringList deviceOptions; // those whose value is a printer device
    std::vector<std::pair<QString, QStringList>> optionWords; // the words an option's value is
    QStringList words;          // the words its arguments are, when they are words
    bool fileArguments = false; // its arguments are files
};

// The description being recorded, or null when commands run for real.
CommandDescription* describing();
// Records what `runHelp` (a command run with --help) declares.
CommandDescription describe(const QString& name, const std::function<int()>& runHelp);
// Called by cli::parse while describing: the usage line and Qt's help text of the options.
void recordParser(const QString& usage, const QString& helpText);
// The words a command's argument takes (move's actions); nothing when not describing.
void describeWords(const QStringList& words);

// The bash completion script for the command table.
QString bashCompletion(const std::vector<Command>& commands);

} // namespace cli
