// What the Printer page knows about a printer's answers: the settings worth asking for, the
// fields of its report, and failures in words.
#pragma once

#include <kalyxcomms/FailureReason.h>

#include <QMap>
#include <QString>

struct KnownSetting {
    const char* key;
    bool writable;
};

// Every setting the page asks the printer for; the printer answers those it has.
extern const KnownSetting knownSettings[];
extern const int knownSettingCount;
bool isWritableSetting(const QString& key);

// "Name: value" lines of a printer's report, by name; other lines are left out.
QMap<QString, QString> reportFields(const QByteArray& report);

// Why an exchange failed, in words for the user.
QString failureInWords(Orvane::FailureReason reason);
