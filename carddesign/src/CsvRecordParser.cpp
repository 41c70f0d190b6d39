#include "CsvRecordParser.h"

namespace {

constexpr qint64 chunkBytes = 64 * 1024;

} // namespace

CsvRecordParser::CsvRecordParser(QIODevice& device, char delimiter, qint64 maxRowBytes,
                                 int maxFields)
    : device_(device), delimiter_(delimiter), maxRowBytes_(maxRowBytes), maxFields_(maxFields) {}

int CsvRecordParser::peek() {
    if (pos_ >= buffer_.size()) {
        buffer_.resize(int(chunkBytes));
        const qint64 n = device_.read(buffer_.data(), chunkBytes);
        readFailed_ = n < 0;
        buffer_.resize(n > 0 ? int(n) : 0);
        pos_ = 0;
        if (buffer_.isEmpty())
            return -1;
    }
    return static_cast<unsigned char>(buffer_.at(pos_));
}

int CsvRecordParser::get() {
    const int c = peek();
    if (c >= 0)
        ++pos_;
    return c;
}

void CsvRecordParser::takeRun(QByteArray& field, bool quoted) {
    const char* begin = buffer_.constData() + pos_;
    const char* end = buffer_.constData() + buffer_.size();
    const char* p = begin;
    while (p < end && *p != '"' && *p != '\n' && *p != '\r' && (quoted || *p != delimiter_))
        ++p;
    field.append(begin, int(p - begin));
    pos_ += int(p - begin);
}

CsvRecordParser::Result CsvRecordParser::next(std::vector<QByteArray>& values, qint64& startLine,
                                              QString& error) {
    enum State { FieldStart, Unquoted, Quoted, AfterQuote };
    values.clear();
    startLine = line_;
    QByteArray field;
    State state = FieldStart;
    bool any = false;    // a character of this record was read
    qint64 rowBytes = 0; // in the values ended so far
    const auto endField = [&]() -> bool {
        if (int(values.size()) >= maxFields_) {
            error =
                QStringLiteral("line %1 has more than %2 values").arg(startLine).arg(maxFields_);
            return false;
        }
        rowBytes += field.size();
        values.push_back(field);
        field.clear();
        return true;
    };
    for (;;) {
        const int c = get();
        if (c < 0) {
            if (readFailed_) {
                error = QStringLiteral("cannot read on from line %1: %2")
                            .arg(line_)
                            .arg(device_.errorString());
                return Failed;
            }
            if (state == Quoted) {
                error = QStringLiteral("the quoted value that starts on line %1 is never closed")
                            .arg(startLine);
                return Failed;
            }
            if (!any)
                return End;
            return endField() ? Record : Failed;
        }
        const bool lineEnd = (c == '\n' || c == '\r');
        if (lineEnd && c == '\r' && peek() == '\n')
            get();
        if (lineEnd)
            ++line_;
        if (lineEnd && state != Quoted) {
            if (!any)
                return Blank;
            return endField() ? Record : Failed;
        }
        any = true;
        if (state == Quoted) {
            if (c == '"') {
                state = AfterQuote;
                continue;
            }
            field += lineEnd ? '\n' : char(c);
            takeRun(field, true);
        } else if (c == delimiter_) {
            if (!endField())
                return Failed;
            state = FieldStart;
            continue;
        } else if (state == FieldStart && c == '"') {
            state = Quoted;
            continue;
        } else if (state == AfterQuote && c == '"') {
            field += '"';
            state = Quoted;
            continue;
        } else {
            field += char(c);
            state = Unquoted;
            takeRun(field, false);
        }
        if (rowBytes + field.size() > maxRowBytes_) {
            error = QStringLiteral("line %1 starts a row longer than %2 bytes")
                        .arg(startLine)
                        .arg(maxRowBytes_);
            return Failed;
        }
    }
}
