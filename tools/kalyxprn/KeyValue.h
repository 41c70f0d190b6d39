// KEY=VALUE arguments (printer settings, read options, job options), taken apart in one way.
#pragma once

#include <QString>
#include <QStringList>

#include <map>
#include <string>

namespace cli {

// Splits at the first '='; false when there is none or the key is empty.
bool splitKeyValue(const QString& text, QString& key, QString& value);

// Every item of `items` into `values`; a usage error naming `form` ("KEY=VALUE") otherwise.
bool parseKeyValues(const QString& command, const QStringList& items, const char* form,
                    std::map<std::string, std::string>& values, int& status);

} // namespace cli
