#include "carddesign/CsvReader.h"

#include "CsvRecordParser.h"
#include "TextEncoding.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <optional>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

namespace {

constexpr qint64 sampleBytes = 64 * 1024;
// A pipe that never ends (a device, a runaway program) must not fill the disk.
constexpr qint64 maxSpoolBytes = qint64(1) << 30;
constexpr int sampleRecords = 20;
const char candidateDelimiters[] = {',', ';', '\t'};

// The number of values each record of `sample` has, or nothing when the delimiter cannot split
// it; a record cut off by the sample's end is left out.
std::optional<std::vector<int>> widths(const QByteArray& sample, bool whole, char delimiter) {
    QByteArray bytes = sample;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    CsvRecordParser parser(buffer, delimiter, CsvReader::maxRowBytes, CsvReader::maxFields);
    std::vector<int> counts;
    std::vector<QByteArray> values;
    qint64 line = 0;
    QString error;
    while (int(counts.size()) <= sampleRecords) {
        const CsvRecordParser::Result r = parser.next(values, line, error);
        if (r == CsvRecordParser::Blank)
            continue;
        if (r == CsvRecordParser::Failed)
            return whole || counts.empty() ? std::nullopt : std::optional(counts);
        if (r == CsvRecordParser::End)
            break;
        counts.push_back(int(values.size()));
    }
    if (!whole && counts.size() > 1 && int(counts.size()) <= sampleRecords)
        counts.pop_back();
    return counts;
}

// The delimiter that splits every sampled record into the same number (more than one) of
// values, the most values winning; otherwise the one that splits the first record most; ','.
char detectDelimiter(const QByteArray& sample, bool whole) {
    char best = ',';
    int bestWidth = 1;
    bool bestConsistent = false;
    for (const char d : candidateDelimiters) {
        const auto counts = widths(sample, whole, d);
        if (!counts || counts->empty())
            continue;
        const int width = counts->front();
        const bool consistent =
            std::all_of(counts->begin(), counts->end(), [&](int n) { return n == width; });
        if (width < 2)
            continue;
        if ((consistent && !bestConsistent) ||
            (consistent == bestConsistent && width > bestWidth)) {
            best = d;
            bestWidth = width;
            bestConsistent = consistent;
        }
    }
    return best;
}

} // namespace

struct CsvReader::Impl {
    QFile file;
    QTemporaryFile spool;
    QIODevice* device = nullptr;
    std::unique_ptr<CsvRecordParser> parser;
    CardColumns columns;
    char delimiter = ',';
    bool utf8 = true;
    QString folder;
    QString error;
    int rows = 0;
    std::optional<CsvRow> pending; // the first row of a file without a header

    bool openDevice(const QString& path);
    bool spoolFrom(QIODevice& in);
    bool scanEncoding(qint64& start);
    QString decode(const QByteArray& bytes) const {
        return utf8 ? QString::fromUtf8(bytes) : fromWindows1252(bytes);
    }
    QStringList decode(const std::vector<QByteArray>& values) const {
        QStringList out;
        out.reserve(int(values.size()));
        for (const QByteArray& v : values)
            out << decode(v);
        return out;
    }
    // The next record that is not blank.
    CsvRecordParser::Result record(std::vector<QByteArray>& values, qint64& line) {
        CsvRecordParser::Result r;
        do
            r = parser->next(values, line, error);
        while (r == CsvRecordParser::Blank);
        return r;
    }
};

bool CsvReader::Impl::spoolFrom(QIODevice& in) {
    if (!spool.open()) {
        error = QStringLiteral("cannot make a temporary copy: %1").arg(spool.errorString());
        return false;
    }
    QByteArray chunk(int(sampleBytes), Qt::Uninitialized);
    for (;;) {
        const qint64 n = in.read(chunk.data(), chunk.size());
        if (n < 0) {
            error = QStringLiteral("cannot read it: %1").arg(in.errorString());
            return false;
        }
        if (n == 0)
            break;
        if (spool.size() + n > maxSpoolBytes) {
            error = QStringLiteral("more than %1 MiB came through the pipe; give the data as a "
                                   "file")
                        .arg(maxSpoolBytes >> 20);
            return false;
        }
        if (n > 0 && spool.write(chunk.constData(), n) != n) {
            error = QStringLiteral("cannot make a temporary copy: %1").arg(spool.errorString());
            return false;
        }
    }
    device = &spool;
    return spool.seek(0);
}

bool CsvReader::Impl::openDevice(const QString& path) {
    const bool standardInput = path == QLatin1String("-");
    folder = standardInput ? QDir::currentPath() : QFileInfo(path).absolutePath();
    if (!standardInput)
        file.setFileName(path);
#ifdef Q_OS_WIN
    // Standard input in text mode would end at a Ctrl+Z byte, which Windows-1252 data may hold.
    if (standardInput)
        _setmode(0, _O_BINARY);
#endif
    const bool opened =
        standardInput ? file.open(0, QIODevice::ReadOnly) : file.open(QIODevice::ReadOnly);
    if (!opened) {
        error = QStringLiteral("cannot read it: %1").arg(file.errorString());
        return false;
    }
    // Pipes and standard input are read twice (encoding, delimiter, rows): copy them first.
    if (file.isSequential())
        return spoolFrom(file);
    device = &file;
    return true;
}

bool CsvReader::Impl::scanEncoding(qint64& start) {
    if (!device->seek(0)) {
        error = QStringLiteral("cannot read it: %1").arg(device->errorString());
        return false;
    }
    const QByteArray head = device->peek(3);
    if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF")) {
        error = QStringLiteral("the file is UTF-16 text; save it as CSV (UTF-8 or comma "
                               "delimited)");
        return false;
    }
    start = head.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    Utf8Validator validator;
    QByteArray chunk(int(sampleBytes), Qt::Uninitialized);
    qint64 n;
    while (!validator.broken() && (n = device->read(chunk.data(), chunk.size())) > 0)
        validator.feed(chunk.constData(), n);
    if (n < 0) {
        error = QStringLiteral("cannot read it: %1").arg(device->errorString());
        return false;
    }
    utf8 = validator.valid();
    return device->seek(start);
}

CsvReader::CsvReader() : d(new Impl) {}
CsvReader::~CsvReader() = default;

bool CsvReader::open(const QString& path, const CsvOptions& options) {
    d.reset(new Impl);
    return d->openDevice(path) && start(options);
}

bool CsvReader::open(QIODevice& device, const QString& folder, const CsvOptions& options) {
    d.reset(new Impl);
    d->folder = folder;
    if (device.isSequential() && !d->spoolFrom(device))
        return false;
    if (!device.isSequential())
        d->device = &device;
    return start(options);
}

bool CsvReader::start(const CsvOptions& options) {
    qint64 start = 0;
    if (!d->scanEncoding(start))
        return false;
    if (options.delimiter.isNull()) {
        const QByteArray sample = d->device->read(sampleBytes);
        d->delimiter = detectDelimiter(sample, d->device->atEnd());
        if (!d->device->seek(start)) {
            d->error = QStringLiteral("cannot read it: %1").arg(d->device->errorString());
            return false;
        }
    } else {
        d->delimiter = options.delimiter.toLatin1();
    }
    d->parser.reset(new CsvRecordParser(*d->device, d->delimiter, maxRowBytes, maxFields));

    std::vector<QByteArray> values;
    qint64 line = 0;
    const CsvRecordParser::Result r = d->record(values, line);
    if (r == CsvRecordParser::Failed)
        return false;
    if (r == CsvRecordParser::End) {
        d->error = options.header ? QStringLiteral("the file has no header row")
                                  : QStringLiteral("the file has no rows");
        return false;
    }
    QStringList names;
    for (int i = 0; i < int(values.size()); ++i) {
        const QString name =
            options.header ? d->decode(values[std::size_t(i)]).trimmed() : QString();
        names << (name.isEmpty() ? QString::number(i + 1) : name);
    }
    d->columns = CardColumns(names);
    if (!options.header) {
        CsvRow first;
        first.record.values = d->decode(values);
        first.record.line = line;
        d->pending = first;
    }
    return true;
}

CsvReader::Next CsvReader::next(CsvRow& row) {
    if (!d->parser)
        return Failed;
    if (d->pending) {
        row = *d->pending;
        d->pending.reset();
    } else {
        std::vector<QByteArray> values;
        qint64 line = 0;
        const CsvRecordParser::Result r = d->record(values, line);
        if (r == CsvRecordParser::End)
            return End;
        if (r == CsvRecordParser::Failed)
            return Failed;
        row = CsvRow();
        row.record.values = d->decode(values);
        row.record.line = line;
    }
    row.record.columns = &d->columns;
    row.record.row = ++d->rows;
    // Empty values past the header's width (a spreadsheet's stray cells) shift nothing.
    QStringList& values = row.record.values;
    const int width = d->columns.names().size();
    while (values.size() > width && values.last().isEmpty())
        values.removeLast();
    if (values.size() != width)
        row.problem = QStringLiteral("line %1 has %2 values; the header has %3 columns")
                          .arg(row.record.line)
                          .arg(values.size())
                          .arg(width);
    return Row;
}

const CardColumns& CsvReader::columns() const {
    return d->columns;
}

QChar CsvReader::delimiter() const {
    return QLatin1Char(d->delimiter);
}

bool CsvReader::windows1252() const {
    return !d->utf8;
}

QString CsvReader::folder() const {
    return d->folder;
}

QString CsvReader::error() const {
    return d->error;
}
