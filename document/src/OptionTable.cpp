#include <kalyxdocument/OptionTable.h>

#include <climits>

namespace {

const char* const none = "";

} // namespace

const std::vector<KlxOptionEntry>& klxOptionTable() {
    static const std::vector<KlxOptionEntry> table = {
        {"card-options", "num-copies", "1", "uint", 1, INT_MAX, 0},
        {"card-options", "pre-rotate", "false", "bool", 0, 0, 0},
        {"card-options", "post-rotate", "false", "bool", 0, 0, 0},
        {"card-options", "disable-eject", "false", "bool", 0, 0, 0},
        {"card-options", "image-format", "orvane", none, 0, 0, 0},
        {"card-options", "factory-test", "false", "bool", 0, 0, 0},
        {"card-options", "width", "1013", none, 0, 0, 0},
        {"card-options", "height", "642", none, 0, 0, 0},
        {"panel-options", "x-adjust", "0", none, 0, 0, 0},
        {"panel-options", "y-adjust", "0", none, 0, 0, 0},
        {"panel-options", "x-density", "300", none, 0, 0, 0},
        {"panel-options", "power-adjust", "0", "int", -32768, 32767, 0},
        {"panel-options", "watermark-index", "0", "uint", 0, 10, 'o'},
        {"panel-options", "watermark-rotation", "0", "rotation", 0, 0, 'o'},
        {"panel-options", "watermark-tamper-veil", "false", "bool", 0, 0, 'o'},
        {"panel-options", "watermark-index", none, none, 0, 0, '-'},
        {"panel-options", "watermark-rotation", none, none, 0, 0, '-'},
        {"panel-options", "watermark-tamper-veil", none, none, 0, 0, '-'},
        {"patch-options", "x", "0", "uint", 0, 1012, 0},
        {"patch-options", "y", "0", "uint", 0, 641, 0},
        {"patch-options", "width", "0", "uint", 0, 1012, 0},
        {"patch-options", "height", "0", "uint", 0, 641, 0},
        {"area", "x", none, "uint", 0, 1012, 0},
        {"area", "y", none, "uint", 0, 641, 0},
        {"area", "width", none, "uint", 0, 1012, 0},
        {"area", "height", none, "uint", 0, 641, 0},
        {"mag-options", "coercivity", "high", "coercivity", 0, 0, 0},
        {"mag-options", "encode-attempts", "1", "uint", 0, 3, 0},
        {"mag-options", "verify-attempts", "0", "uint", 0, 3, 0},
        {"mag-options", "direction", "forwards", none, 0, 0, 0},
        {"track-options", "num-bits", "ERROR", none, 0, 0, 0},
        {"track-options", "bpi", "ERROR", none, 0, 0, 0},
    };
    return table;
}

namespace {

bool fits(const KlxOptionEntry& entry, const QString& group, char panel) {
    const QString g = group == QLatin1String("hole") ? QStringLiteral("area") : group;
    if (g != QLatin1String(entry.group))
        return false;
    if (entry.panels == 'o')
        return panel == 'o';
    if (entry.panels == '-')
        return panel != 'o';
    return true;
}

} // namespace

const KlxOptionEntry* klxFindOption(const QString& group, const QString& name, char panel) {
    for (const KlxOptionEntry& entry : klxOptionTable())
        if (fits(entry, group, panel) && name == QLatin1String(entry.name))
            return &entry;
    return nullptr;
}

QStringList klxOptionNames(const QString& group, char panel) {
    QStringList names;
    for (const KlxOptionEntry& entry : klxOptionTable())
        if (fits(entry, group, panel))
            names << QString::fromLatin1(entry.name);
    return names;
}

QStringList klxEditChoices(const QString& editType) {
    if (editType == QLatin1String("bool"))
        return {QStringLiteral("false"), QStringLiteral("true")};
    if (editType == QLatin1String("rotation"))
        return {QStringLiteral("0"), QStringLiteral("180")};
    if (editType == QLatin1String("coercivity"))
        return {QStringLiteral("high"), QStringLiteral("mid"), QStringLiteral("low")};
    return {};
}

QString klxCheckOptionValue(const KlxOptionEntry& entry, const QString& value) {
    const QString type = QString::fromLatin1(entry.editType);
    if (type.isEmpty())
        return QString();
    const QStringList choices = klxEditChoices(type);
    if (!choices.isEmpty())
        return choices.contains(value) ? QString()
                                       : QStringLiteral("'%1' is not one of %2")
                                             .arg(value, choices.join(QStringLiteral(", ")));
    // Plain decimal as the editor writes it: no sign on unsigned values, no spaces.
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok, 10);
    const bool plain = !value.isEmpty() && !value.contains(QLatin1Char(' ')) &&
                       !value.startsWith(QLatin1Char('+')) &&
                       (type == QLatin1String("int") || !value.startsWith(QLatin1Char('-')));
    if (ok && plain && number >= entry.minimum && number <= entry.maximum)
        return QString();
    return QStringLiteral("'%1' is not a whole number from %2 to %3")
        .arg(value)
        .arg(entry.minimum)
        .arg(entry.maximum);
}
