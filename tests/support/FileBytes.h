// Whole files as bytes, for tests that check what a program wrote.
#pragma once

#include <QByteArray>
#include <QString>

namespace kalyxtest {

// Empty when the file cannot be read.
QByteArray readFile(const QString& path);
bool writeFile(const QString& path, const QByteArray& bytes);

// Waits (bounded) until the file exists with at least `size` bytes; returns its contents.
QByteArray waitForFile(const QString& path, qint64 size);

} // namespace kalyxtest
