#include "carddesign/CardTemplate.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace {

const QString rowName = QStringLiteral("_row");
const QString dateName = QStringLiteral("_date");

struct Variable {
    QString name;
    QString fallback;
    bool hasFallback = false;
};

// Walks `text`, handing literal runs to `literal` and each ${...} to `variable`. Returns why the
// template is malformed, or empty.
template <typename Literal, typename Var>
QString scanTemplate(const QString& text, Literal literal, Var variable) {
    int runStart = 0;
    int i = 0;
    while (i < text.size()) {
        if (text.at(i) != QLatin1Char('$')) {
            ++i;
            continue;
        }
        literal(QStringView(text).mid(runStart, i - runStart));
        const QChar next = i + 1 < text.size() ? text.at(i + 1) : QChar();
        if (next == QLatin1Char('$')) {
            literal(QStringView(text).mid(i, 1));
            i += 2;
        } else if (next == QLatin1Char('{')) {
            const int close = text.indexOf(QLatin1Char('}'), i + 2);
            if (close < 0)
                return QStringLiteral("'${' at character %1 is not closed by '}'").arg(i + 1);
            const QString inside = text.mid(i + 2, close - i - 2);
            Variable v;
            const int split = inside.indexOf(QLatin1String(":="));
            v.hasFallback = split >= 0;
            v.name = v.hasFallback ? inside.left(split) : inside;
            v.fallback = v.hasFallback ? inside.mid(split + 2) : QString();
            if (v.name.isEmpty())
                return QStringLiteral("'${' at character %1 names no column").arg(i + 1);
            if (v.name.contains(QLatin1String("${")) || v.fallback.contains(QLatin1Char('$')))
                return QStringLiteral("'${' at character %1 holds a '$': templates do not nest; "
                                      "write $$ for a dollar sign")
                    .arg(i + 1);
            variable(v);
            i = close + 1;
        } else {
            return QStringLiteral("a lone '$' at character %1: write $$ for a dollar sign")
                .arg(i + 1);
        }
        runStart = i;
    }
    literal(QStringView(text).mid(runStart));
    return QString();
}

} // namespace

CardColumns::CardColumns(const QStringList& names) : names_(names) {
    for (int i = names.size() - 1; i >= 0; --i)
        index_.insert(names.at(i), i);
}

int CardColumns::indexOf(const QString& name) const {
    return index_.value(name, -1);
}

QString checkCardTemplate(const QString& text) {
    return scanTemplate(
        text, [](QStringView) {}, [](const Variable&) {});
}

bool isCardTemplateVariable(const QString& text) {
    bool variable = false;
    const QString problem = scanTemplate(
        text, [](QStringView) {}, [&](const Variable&) { variable = true; });
    return variable && problem.isEmpty();
}

QStringList cardTemplateColumns(const QString& text, bool withoutDefault) {
    QStringList columns;
    scanTemplate(
        text, [](QStringView) {},
        [&](const Variable& v) {
            if (v.name != rowName && v.name != dateName && !(withoutDefault && v.hasFallback) &&
                !columns.contains(v.name))
                columns << v.name;
        });
    return columns;
}

QString expandCardTemplate(const QString& text, const CardTemplateContext& context,
                           QStringList* missing) {
    QString out;
    const CardRecord* record = context.record;
    const QString problem = scanTemplate(
        text, [&](QStringView run) { out += run; },
        [&](const Variable& v) {
            QString value;
            if (v.name == rowName) {
                value = record ? QString::number(record->row) : QString();
            } else if (v.name == dateName) {
                value = context.date;
            } else {
                const int index = record && record->columns ? record->columns->indexOf(v.name) : -1;
                if (index < 0 && missing && !v.hasFallback && !missing->contains(v.name))
                    *missing << v.name;
                value = index >= 0 ? record->values.value(index) : QString();
            }
            out += value.isEmpty() && v.hasFallback ? v.fallback : value;
        });
    return problem.isEmpty() ? out : text;
}

bool cardConditionHolds(const QString& condition, const CardTemplateContext& context) {
    return condition.isEmpty() || !expandCardTemplate(condition, context).isEmpty();
}

QString cardTemplateDate() {
    bool ok = false;
    const qlonglong epoch = qEnvironmentVariable("SOURCE_DATE_EPOCH").toLongLong(&ok);
    const QDate date =
        ok ? QDateTime::fromSecsSinceEpoch(epoch, Qt::UTC).date() : QDate::currentDate();
    return date.toString(Qt::ISODate);
}

QString resolveCardFile(const QString& name, bool perRow, const QString& designFolder,
                        const QString& dataFolder) {
    if (name.isEmpty() || QFileInfo(name).isAbsolute())
        return name;
    return QDir::cleanPath(QDir(perRow ? dataFolder : designFolder).filePath(name));
}
