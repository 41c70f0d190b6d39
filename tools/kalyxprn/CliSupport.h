// Small helpers shared by the kalyxprn commands: argument parsing and output.
#pragma once

#include "Command.h"

#include <QCommandLineParser>
#include <QImage>
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
// Bytes on stdout as they are (a file's contents for "-").
void outBytes(const QByteArray& bytes);
// Why standard output could not be written ("No space left on device"), after flushing it;
// empty when everything written so far arrived.
QString outputProblem();

// `text` safe to put in a line on a terminal: every control character, line feeds and tabs
// included, becomes \xHH, so that text from a job, a printer or a device can neither move the
// cursor, set the title, nor fake a line of ours.
QString shown(const QString& text);
// "kalyxprn COMMAND: text" on stderr with status ExitUsage.
int usageError(const QString& command, const QString& text);

// The standard output's name wherever a file is written.
bool isStandardOutput(const QString& path);
// Writes `bytes` to the file `path` through a complete new file renamed over the old one
// (FileReplacement.h), or to standard output for "-"; false with the reason otherwise.
bool writeOutput(const QString& path, const QByteArray& bytes, QString& reason);
// The same for a picture, in the format the file's suffix names (PNG on standard output).
bool writeImage(const QString& path, const QImage& image, QString& reason);

// One line of compact JSON on stdout. JSON's own escapes (\u007f) stand for every control
// character, so any JSON reader takes it and nothing reaches a terminal raw.
void outJson(const QJsonObject& object);
void outJson(const QJsonArray& array);

} // namespace cli
