// Small helpers shared by the kalyxprn commands: argument parsing and output.
#pragma once

#include "Command.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

namespace cli {

// Parses args for one command. Prints the help (returns ExitSuccess through status) when
// --help is given, or an error and the usage line (ExitUsage) when parsing fails; returns false
// in both cases so the command stops.
bool parse(QCommandLineParser& parser, const QString& command, const QString& usage,
           const QString& description, const QStringList& args, int& status);

void out(const QString& text); // stdout, with a line feed
void err(const QString& text); // stderr, with a line feed
// "kalyxprn COMMAND: text" on stderr with status ExitUsage.
int usageError(const QString& command, const QString& text);

// One line of compact JSON on stdout.
void outJson(const QJsonObject& object);
void outJson(const QJsonArray& array);

} // namespace cli
