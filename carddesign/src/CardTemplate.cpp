#include "carddesign/CardTemplate.h"

CardColumns::CardColumns(const QStringList& names) : names_(names) {
    for (int i = names.size() - 1; i >= 0; --i)
        index_.insert(names.at(i), i);
}
int CardColumns::indexOf(const QString& name) const {
    return index_.value(name, -1);
}
QString checkCardTemplate(const QString&) {
    return {};
}
bool isCardTemplateVariable(const QString&) {
    return false;
}
QStringList cardTemplateColumns(const QString&, bool) {
    return {};
}
QString expandCardTemplate(const QString& text, const CardTemplateContext&, QStringList*) {
    return text;
}
QString cardTemplateDate() {
    return {};
}
QString resolveCardFile(const QString& name, bool, const QString&, const QString&) {
    return name;
}
