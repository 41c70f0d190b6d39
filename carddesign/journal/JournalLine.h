// One line of a batch journal: a compact JSON object, a space, and the CRC-32 of the object's
// bytes in eight hex digits. A line that was cut short by a crash fails its own check.
#pragma once

#include <QByteArray>
#include <QJsonObject>

namespace carddesign {

// The line for `entry`, ending in a line feed.
QByteArray encodeJournalLine(const QJsonObject& entry);

// Reads one line without its line feed; false when it is damaged or not an object.
bool decodeJournalLine(const QByteArray& line, QJsonObject& entry);

} // namespace carddesign
