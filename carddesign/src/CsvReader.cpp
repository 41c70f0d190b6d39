#include "carddesign/CsvReader.h"

struct CsvReader::Impl {
    CardColumns columns;
    QString error = QStringLiteral("not yet");
};
CsvReader::CsvReader() : d(new Impl) {}
CsvReader::~CsvReader() = default;
bool CsvReader::open(const QString&, const CsvOptions&) {
    return false;
}
CsvReader::Next CsvReader::next(CsvRow&) {
    return Failed;
}
const CardColumns& CsvReader::columns() const {
    return d->columns;
}
QChar CsvReader::delimiter() const {
    return QLatin1Char(',');
}
bool CsvReader::windows1252() const {
    return false;
}
QString CsvReader::folder() const {
    return {};
}
QString CsvReader::error() const {
    return d->error;
}
