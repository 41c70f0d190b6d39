// One entry of the printer chooser: where a print or a printer command goes, and the text the
// settings remember it by.
#pragma once

#include <QString>

struct PrinterChoice {
    enum class Kind {
        FirstUsb, // whichever family printer the USB discovery lists first
        Usb,      // one USB printer, found again by its description (which holds its serial)
        Network,  // HOST[:PORT] added by the user
        Queue,    // a CUPS queue whose device is a kalyx:// address
    };

    Kind kind = Kind::FirstUsb;
    // USB: the description; network: HOST[:PORT]; queue: the queue's name.
    QString name;
    // USB only: the device node it was found at.
    QString devicePath;

    bool talksToPrinter() const { return kind != Kind::Queue; }
    // "usb-first", "usb:DESCRIPTION", "tcp:HOST[:PORT]" or "queue:NAME".
    QString key() const;
    static PrinterChoice fromKey(const QString& key);
    bool operator==(const PrinterChoice& other) const { return key() == other.key(); }
};

// HOST[:PORT] split into its parts; false with a reason for text no printer can have as address.
struct NetworkAddress {
    QString host;
    quint16 port = 9100;
};
bool parseNetworkAddress(const QString& text, NetworkAddress& address, QString& reason);
