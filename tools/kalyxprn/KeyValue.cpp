#include "KeyValue.h"

#include "CliSupport.h"

namespace cli {

bool splitKeyValue(const QString& text, QString& key, QString& value) {
    const int at = text.indexOf(QLatin1Char('='));
    if (at <= 0)
        return false;
    key = text.left(at);
    value = text.mid(at + 1);
    return true;
}

bool parseKeyValues(const QString& command, const QStringList& items, const char* form,
                    std::map<std::string, std::string>& values, int& status) {
    for (const QString& item : items) {
        QString key, value;
        if (!splitKeyValue(item, key, value)) {
            status = usageError(
                command,
                QStringLiteral("'%1' is not %2").arg(shown(item), QString::fromLatin1(form)));
            return false;
        }
        values[key.toStdString()] = value.toStdString();
    }
    return true;
}

} // namespace cli
