// Reading a data file of comma-, semicolon- or tab-separated values one row at a time, in
// constant memory: RFC 4180 quoting (doubled quotes, line breaks inside quotes), CRLF or LF, a
// byte order mark stripped, UTF-8 when the whole file is valid UTF-8 and Windows-1252 otherwise.
// `-` reads standard input (spooled to a temporary file first, so it can be read like a file).
#pragma once

#include "CardTemplate.h"

#include <QChar>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <memory>

struct CsvOptions {
    QChar delimiter;    // null: detected among ',', ';' and tab from consistent field counts
    bool header = true; // false: the columns are called 1 .. n after the first row's width
};

// One row as read. A row of another width than the header is kept with `problem` set, so that
// it is reported as that row's problem and never shifts its values into the wrong columns.
// `record.columns` points at the reader's columns. Blank lines are skipped and not counted.
struct CsvRow {
    CardRecord record;
    QString problem; // e.g. "line 14 has 3 values; the header has 4 columns"
};

class CsvReader {
public:
    CsvReader();
    ~CsvReader();
    CsvReader(const CsvReader&) = delete;
    CsvReader& operator=(const CsvReader&) = delete;

    // Opens the file (or "-") and reads its header; false with the reason in error().
    bool open(const QString& path, const CsvOptions& options = {});
    // Reads `device` (open for reading, from its start) instead; per-row files resolve against
    // `folder`. A sequential device is copied aside first. The device must outlive the reader.
    bool open(QIODevice& device, const QString& folder, const CsvOptions& options = {});

    enum Next { Row, End, Failed };
    // The next row; End after the last; Failed with error() set when the file cannot be read
    // further (a read error, or a row over the size limits).
    Next next(CsvRow& row);

    const CardColumns& columns() const;
    QChar delimiter() const;
    // True when the file was not valid UTF-8 and was read as Windows-1252.
    bool windows1252() const;
    // The folder per-row file names resolve against (the current folder for standard input).
    QString folder() const;
    QString error() const;

    // Limits that keep a hostile file from taking the machine.
    static constexpr qint64 maxRowBytes = 1 << 20; // all values of a row together
    static constexpr int maxFields = 1024;

private:
    bool start(const CsvOptions& options);

    struct Impl;
    std::unique_ptr<Impl> d;
};
