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

// Both write `text` and a line feed. Control characters other than the line feeds and tabs of
// our own layout are shown escaped (\x1b), whatever the text carries.
void out(const QString& text); // stdout
void err(const QString& text); // stderr

// `text` safe to put in a line on a terminal: every control character, line feeds and tabs
// included, becomes \xHH, so that text from a job, a printer or a device can neither move the
// cursor, set the title, nor fake a line of ours.
QString shown(const QString& text);
// "kalyxprn COMMAND: text" on stderr with status ExitUsage.
int usageError(const QString& command, const QString& text);

// One line of compact JSON on stdout.
void outJson(const QJsonObject& object);
void outJson(const QJsonArray& array);

} // namespace cli
