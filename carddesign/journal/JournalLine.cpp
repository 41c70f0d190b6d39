#include "JournalLine.h"

#include <prnformat/Crc32.h>

#include <QJsonDocument>

namespace carddesign {

namespace {

constexpr int checksumDigits = 8;

QByteArray checksumOf(const QByteArray& bytes) {
    return QByteArray::number(Orvane::crc32(bytes.constData(), std::size_t(bytes.size())), 16)
        .rightJustified(checksumDigits, '0');
}

} // namespace

QByteArray encodeJournalLine(const QJsonObject& entry) {
    // Compact JSON escapes every line feed inside strings, so the line has exactly one.
    const QByteArray json = QJsonDocument(entry).toJson(QJsonDocument::Compact);
    return json + ' ' + checksumOf(json) + '\n';
}

bool decodeJournalLine(const QByteArray& line, QJsonObject& entry) {
    const int split = line.size() - checksumDigits - 1;
    if (split < 2 || line.at(split) != ' ')
        return false;
    const QByteArray json = line.left(split);
    if (checksumOf(json) != line.mid(split + 1))
        return false;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    entry = document.object();
    return true;
}

} // namespace carddesign
