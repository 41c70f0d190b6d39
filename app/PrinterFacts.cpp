#include "PrinterFacts.h"

#include <QCoreApplication>
#include <QList>

const KnownSetting knownSettings[] = {
    {"id-manufacturer", false},     {"id-model-name", false},          {"id-printer-serial", false},
    {"id-software-version", false}, {"cards-in-hopper", false},        {"cards-printed", false},
    {"printer-name", true},         {"standby-timeout-minutes", true}, {"power-adjust", true},
    {"eject-side", true},           {"mag-coercivity", true},          {"network-dhcp", true},
    {"network-ip-address", true},
};
const int knownSettingCount = int(sizeof knownSettings / sizeof knownSettings[0]);

bool isWritableSetting(const QString& key) {
    for (int i = 0; i < knownSettingCount; ++i) {
        if (key == QLatin1String(knownSettings[i].key))
            return knownSettings[i].writable;
    }
    return false;
}

QMap<QString, QString> reportFields(const QByteArray& report) {
    QMap<QString, QString> fields;
    // A report is text; a binary one simply yields no fields.
    for (const QByteArray& line : report.split('\n')) {
        const int colon = line.indexOf(": ");
        if (colon <= 0)
            continue;
        fields.insert(QString::fromUtf8(line.left(colon)).trimmed(),
                      QString::fromUtf8(line.mid(colon + 2)).trimmed());
    }
    return fields;
}

QString failureInWords(Orvane::FailureReason reason) {
    using R = Orvane::FailureReason;
    struct Words {
        R reason;
        const char* text;
    };
    static const Words words[] = {
        {R::None, QT_TRANSLATE_NOOP("PrinterFacts", "no failure")},
        {R::NotConnected, QT_TRANSLATE_NOOP("PrinterFacts", "the connection is closed")},
        {R::BadArgument, QT_TRANSLATE_NOOP("PrinterFacts", "the request cannot be sent")},
        {R::WriteFailed, QT_TRANSLATE_NOOP("PrinterFacts", "the request could not be sent")},
        {R::WriteTimedOut,
         QT_TRANSLATE_NOOP("PrinterFacts", "the printer took no data within the time allowed")},
        {R::ReadFailed, QT_TRANSLATE_NOOP("PrinterFacts", "the answer could not be received")},
        {R::ReadTimedOut,
         QT_TRANSLATE_NOOP("PrinterFacts", "the printer did not answer in time (timed out)")},
        {R::ConnectionClosed,
         QT_TRANSLATE_NOOP("PrinterFacts", "the printer closed the connection")},
        {R::MalformedFrame, QT_TRANSLATE_NOOP("PrinterFacts", "the answer was not understood")},
        {R::BadChecksum, QT_TRANSLATE_NOOP("PrinterFacts", "the answer's checksum is wrong")},
        {R::OversizedAnswer, QT_TRANSLATE_NOOP("PrinterFacts", "the answer is too large")},
        {R::PrinterRefused, QT_TRANSLATE_NOOP("PrinterFacts", "the printer refused")},
        {R::OutOfMemory, QT_TRANSLATE_NOOP("PrinterFacts", "there was not enough memory")},
        {R::AnswerStalled,
         QT_TRANSLATE_NOOP("PrinterFacts", "the answer stopped coming (timed out)")},
    };
    for (const Words& entry : words) {
        if (entry.reason == reason)
            return QCoreApplication::translate("PrinterFacts", entry.text);
    }
    return QCoreApplication::translate("PrinterFacts", "the exchange failed");
}
