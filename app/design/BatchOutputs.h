// The proof sheet and the jobs of a batch, made by kalyxprn batch itself (--proof, -o), so the
// window writes exactly what the command line writes. It runs as a child process, so the window
// stays responsive while a large batch is drawn.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QObject;

// Where kalyxprn is: beside the window's program, in the build tree's tools folder, or on PATH.
// Empty when none is found.
QString kalyxprnProgram();

// Starts `kalyxprn ARGS...`; `done` gets its exit status (-1 when it did not start or crashed),
// its standard output and its error output (or why it did not start). The process belongs to
// `owner`; when the owner goes first, the process is given a while to finish, unheard.
void runKalyxprn(QObject* owner, const QStringList& args,
                 std::function<void(int status, const QString& out, const QString& err)> done);

// Starts `kalyxprn batch DESIGN DATA ARGS...`; `done` gets whether it succeeded and what it
// said (its error output, or its standard output on success). The process belongs to `owner`.
void runBatchCommand(QObject* owner, const QString& design, const QString& data,
                     const QStringList& args, std::function<void(bool, const QString&)> done);
