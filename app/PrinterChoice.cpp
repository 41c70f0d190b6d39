#include "PrinterChoice.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace {

const QLatin1String firstUsbKey("usb-first");

struct KindPrefix {
    PrinterChoice::Kind kind;
    QLatin1String prefix;
};
const KindPrefix kindPrefixes[] = {
    {PrinterChoice::Kind::Usb, QLatin1String("usb:")},
    {PrinterChoice::Kind::Network, QLatin1String("tcp:")},
    {PrinterChoice::Kind::Queue, QLatin1String("queue:")},
};

} // namespace

QString PrinterChoice::key() const {
    for (const KindPrefix& entry : kindPrefixes) {
        if (entry.kind == kind)
            return entry.prefix + name;
    }
    return firstUsbKey;
}

PrinterChoice PrinterChoice::fromKey(const QString& key) {
    PrinterChoice choice;
    for (const KindPrefix& entry : kindPrefixes) {
        if (key.startsWith(entry.prefix) && key.size() > entry.prefix.size()) {
            choice.kind = entry.kind;
            choice.name = key.mid(entry.prefix.size());
            return choice;
        }
    }
    return choice;
}

bool parseNetworkAddress(const QString& text, NetworkAddress& address, QString& reason) {
    const QString trimmed = text.trimmed();
    // A host name or dotted address, then an optional port; no blanks, no scheme.
    static const QRegularExpression form(QStringLiteral("^([A-Za-z0-9._-]+)(?::([0-9]{1,5}))?$"));
    const QRegularExpressionMatch match = form.match(trimmed);
    if (!match.hasMatch()) {
        reason = QCoreApplication::translate("PrinterChoice",
                                             "Give the printer's address as HOST or HOST:PORT.");
        return false;
    }
    address.host = match.captured(1);
    address.port = 9100;
    if (!match.captured(2).isEmpty()) {
        const int port = match.captured(2).toInt();
        if (port < 1 || port > 65535) {
            reason = QCoreApplication::translate("PrinterChoice",
                                                 "The port must be a number from 1 to 65535.");
            return false;
        }
        address.port = quint16(port);
    }
    return true;
}
