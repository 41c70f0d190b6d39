// Splitting delimited text into records of raw values: RFC 4180 quoting (a doubled quote inside
// quotes, line breaks inside quotes), CRLF, LF or CR line ends. Lenient where spreadsheets are:
// a quote inside an unquoted value, or text after a closing quote, is kept as text.
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <vector>

class CsvRecordParser {
public:
    CsvRecordParser(QIODevice& device, char delimiter, qint64 maxRowBytes, int maxFields);

    enum Result { Record, Blank, End, Failed };
    // The next record's values and the line it starts on; Blank for an empty line; Failed with
    // `error` set for an unclosed quote, a record over the limits, or a read error.
    Result next(std::vector<QByteArray>& values, qint64& startLine, QString& error);

private:
    int get();
    int peek();
    // Moves the ordinary characters that follow in the buffer into `field` at once.
    void takeRun(QByteArray& field, bool quoted);

    QIODevice& device_;
    const char delimiter_;
    const qint64 maxRowBytes_;
    const int maxFields_;
    QByteArray buffer_;
    int pos_ = 0;
    qint64 line_ = 1;
    bool readFailed_ = false;
};
