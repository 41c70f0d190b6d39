#include "carddesign/CardOptions.h"

#include <kalyxdocument/OptionTable.h>

#include <QStringList>

namespace {

const char* const pathForms = "card-options/NAME, mag-options/NAME, track-options/1..3/NAME or "
                              "side-options/front|back|0|1/y|m|c|k|o/NAME";

} // namespace

bool parseCardOptionPath(const QString& key, CardOptionPath& path, QString& problem) {
    const QStringList parts = key.split(QLatin1Char('/'));
    const QString kind = parts.first();
    path = CardOptionPath();
    bool shaped = false;
    if ((kind == QLatin1String("card-options") || kind == QLatin1String("mag-options")) &&
        parts.size() == 2) {
        path.group = kind;
        shaped = true;
    } else if (kind == QLatin1String("track-options") && parts.size() == 3) {
        path.group = kind;
        path.track = parts.at(1).size() == 1 ? parts.at(1).at(0).unicode() - '0' : 0;
        shaped = path.track >= 1 && path.track <= 3;
    } else if (kind == QLatin1String("side-options") && parts.size() == 4) {
        path.group = QStringLiteral("panel-options");
        // Sides by name or by number, as compose --option takes them.
        const QString side = parts.at(1);
        path.side = side == QLatin1String("front") || side == QLatin1String("0")  ? 0
                    : side == QLatin1String("back") || side == QLatin1String("1") ? 1
                                                                                  : -1;
        const QString panel = parts.at(2);
        path.panel = panel.size() == 1 && QStringLiteral("ymcko").contains(panel)
                         ? panel.at(0).toLatin1()
                         : 0;
        shaped = path.side >= 0 && path.panel;
    }
    if (!shaped) {
        problem = QStringLiteral("not an option path (%1)").arg(QLatin1String(pathForms));
        return false;
    }
    path.name = parts.last();
    if (!klxFindOption(path.group, path.name, path.panel)) {
        problem = QStringLiteral("'%1' is not an option of %2 (known: %3)")
                      .arg(path.name, path.group,
                           klxOptionNames(path.group, path.panel).join(QStringLiteral(", ")));
        return false;
    }
    if (path.group == QLatin1String("card-options") &&
        (path.name == QLatin1String("width") || path.name == QLatin1String("height"))) {
        problem = QStringLiteral("the card's size is set by card.width and card.height");
        return false;
    }
    return true;
}

QString checkCardOptionValue(const QString& key, const QString& value) {
    CardOptionPath path;
    QString problem;
    if (!parseCardOptionPath(key, path, problem))
        return problem;
    return klxCheckOptionValue(*klxFindOption(path.group, path.name, path.panel), value);
}
