// Any bytes as a data file (the first byte picks the delimiter and whether there is a header):
// every row comes out numbered in order, rows without a problem have the header's width, and
// reading ends without a crash, a hang or memory growing with the file.
#include <carddesign/CsvReader.h>

#include <QBuffer>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const char delimiters[] = {0, ',', ';', '\t'};
    CsvOptions options;
    options.delimiter = QLatin1Char(delimiters[data[0] & 3]);
    options.header = !(data[0] & 4);
    QByteArray bytes(reinterpret_cast<const char*>(data + 1), int(size - 1));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    CsvReader reader;
    if (!reader.open(buffer, QStringLiteral("/data"), options))
        return 0;
    const int width = reader.columns().names().size();
    CsvRow row;
    int expected = 1;
    qint64 lastLine = 0;
    while (reader.next(row) == CsvReader::Row) {
        if (row.record.row != expected++ || row.record.line <= lastLine ||
            (row.problem.isEmpty() && row.record.values.size() != width))
            __builtin_trap();
        lastLine = row.record.line;
    }
    return 0;
}
