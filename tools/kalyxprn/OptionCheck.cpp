#include "OptionCheck.h"

#include "CliSupport.h"

#include <kalyxdocument/OptionTable.h>

#include <QRegularExpression>

namespace cli {

bool isElementName(const QString& name) {
    static const QRegularExpression element(QStringLiteral("^[A-Za-z_][A-Za-z0-9._-]*$"));
    return element.match(name).hasMatch();
}

bool checkOptionValue(const QString& command, const QString& group, char panel, const QString& name,
                      const QString& label, const QString& value, bool force, QString& problem) {
    const QStringList known = klxOptionNames(group, panel);
    if (known.isEmpty())
        return true; // not an options element: nothing to check against
    const KlxOptionEntry* entry = klxFindOption(group, name, panel);
    if (!entry) {
        err(QStringLiteral("kalyxprn %1: warning: '%2' is not an option of %3 (known: %4)")
                .arg(command, shown(label), group, known.join(QStringLiteral(", "))));
        return true;
    }
    const QString wrong = klxCheckOptionValue(*entry, value);
    if (wrong.isEmpty() || force)
        return true;
    problem = QStringLiteral("%1: %2 (--force writes it anyway)").arg(shown(label), wrong);
    return false;
}

} // namespace cli
