// The two encodings data files come in: UTF-8 (checked strictly, in pieces) and Windows-1252,
// which spreadsheets write for "CSV (comma delimited)".
#pragma once

#include <QByteArray>
#include <QString>

class Utf8Validator {
public:
    void feed(const char* bytes, qint64 size);
    // True when everything fed so far is complete, well-formed UTF-8.
    bool valid() const { return valid_ && need_ == 0; }
    // True once a byte was found that no UTF-8 text holds there (a character cut off at the end
    // of what was fed so far is not broken: its rest may follow).
    bool broken() const { return !valid_; }

private:
    bool valid_ = true;
    int need_ = 0; // continuation bytes still to come
    unsigned char lower_ = 0x80;
    unsigned char upper_ = 0xBF;
};

QString fromWindows1252(const QByteArray& bytes);
