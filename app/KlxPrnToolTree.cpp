// The options tree: one row per known element of the job's header document. Option rows carry
// what the editor needs (edit type, parent path, range) in the hidden columns.
#include "KlxPrnTool.h"

#include "KlxTreeColumns.h"
#include "ui_KlxPrnTool.h"
#include <kalyxdocument/KlxPrnHolder.h>
#include <kalyxdocument/OptionTable.h>

#include <QBrush>

#include <prnformat/Panels.h>

#include <cstring>
#include <vector>

namespace {

const QString cardOptionsPath = QStringLiteral("/prn/card/card-options");
const QString magOptionsPath = QStringLiteral("/prn/card/mag-options");

QString sidePath(int side) {
    return QStringLiteral("/prn/card/side-options[@side=%1]").arg(side);
}

QString panelPath(int side, char panel) {
    return sidePath(side) + QStringLiteral("/panel-options[@panel='%1']").arg(QChar(panel));
}

QString patchPath(int side) {
    return QStringLiteral("prn/card/side-options[@side=%1]/patch-options").arg(side);
}

QString regionPath(int side, char panel, const QString& kind) {
    return QStringLiteral("prn/card/side-options[@side=%1]/panel-options[@panel='%2']/%3")
        .arg(side)
        .arg(QChar(panel))
        .arg(kind);
}

QString trackPath(int track) {
    return QStringLiteral("/prn/card/mag-options/track-options[@track='%1']").arg(track);
}

std::string utf8(const QString& text) {
    return text.toStdString();
}

void markDefault(QTreeWidgetItem* row) {
    row->setForeground(KlxTreeColumn::Value, QBrush(klxDefaultValueColour()));
}

// A job with more rectangles than this shows them folded: two million open rows cost the view
// hundreds of megabytes and many seconds to lay out, and nobody reads them all.
constexpr int mostOpenRectangles = 10000;

bool isRectangleRow(const QTreeWidgetItem* row) {
    const QString name = row->text(KlxTreeColumn::Name);
    return row->childCount() > 0 &&
           (name == QLatin1String("area") || name == QLatin1String("hole"));
}

// Opens every row below row (and row) that has rows of its own, rectangles excepted.
void expandAllButRectangles(QTreeWidgetItem* row) {
    if (row->childCount() == 0 || isRectangleRow(row))
        return;
    row->setExpanded(true);
    for (int i = 0; i < row->childCount(); ++i)
        expandAllButRectangles(row->child(i));
}

} // namespace

void KlxPrnTool::buildOptionsTree() {
    clearTree();

    QTreeWidgetItem* prn = addTreeRow(nullptr, QStringLiteral("prn"), QString());
    addTreeRow(prn, QStringLiteral("binary-size"), prnHolder->nodeText("/prn/binary-size"));
    addTreeRow(prn, QStringLiteral("time"), prnHolder->nodeText("/prn/time"));

    if (prnHolder->hasNode("/prn/card")) {
        QTreeWidgetItem* card = addTreeRow(prn, QStringLiteral("card"), QString());

        if (prnHolder->hasNode(utf8(cardOptionsPath))) {
            QTreeWidgetItem* options = addTreeRow(card, QStringLiteral("card-options"), QString());
            addTableRows(options, cardOptionsPath, "card-options");
        }

        for (int side = 0; side < 2; ++side) {
            if (prnHolder->hasSide(side))
                addSideRows(card, side);
        }

        if (prnHolder->hasNode(utf8(magOptionsPath)))
            addMagRows(card);
    }

    if (prnHolder->selectNodes("prn/card/side-options/panel-options/*[self::area or self::hole]")
            .size() > mostOpenRectangles)
        expandAllButRectangles(prn);
    else
        ui->prn_tree_widget->expandAll();
    ui->prn_tree_widget->resizeColumnToContents(0);
}

void KlxPrnTool::addSideRows(QTreeWidgetItem* cardRow, int side) {
    QTreeWidgetItem* sideRow =
        addTreeRow(cardRow, QStringLiteral("side-options"), QString::number(side));
    for (const char panel : Orvane::kPanelLetters) {
        const QString p = panelPath(side, panel);
        if (!prnHolder->hasNode(utf8(p)))
            continue;
        QTreeWidgetItem* panelRow =
            addTreeRow(sideRow, QStringLiteral("panel-options"), QString(QChar(panel)));
        addTableRows(panelRow, p, "panel-options", panel);
        addRegionRows(panelRow, side, panel, QStringLiteral("area"));
        addRegionRows(panelRow, side, panel, QStringLiteral("hole"));
    }

    const QString patch = patchPath(side);
    if (prnHolder->hasNode(utf8(patch))) {
        QTreeWidgetItem* patchRow = addTreeRow(sideRow, QStringLiteral("patch-options"), QString());
        addTableRows(patchRow, patch, "patch-options");
    }
}

void KlxPrnTool::addMagRows(QTreeWidgetItem* cardRow) {
    QTreeWidgetItem* magRow = addTreeRow(cardRow, QStringLiteral("mag-options"), QString());
    addTableRows(magRow, magOptionsPath, "mag-options");

    for (int track = 1; track <= 3; ++track) {
        const QString t = trackPath(track);
        if (!prnHolder->hasNode(utf8(t)))
            continue;
        QTreeWidgetItem* trackRow =
            addTreeRow(magRow, QStringLiteral("track-options"), QString::number(track));
        addTableRows(trackRow, t, "track-options");
    }
}

QTreeWidgetItem* KlxPrnTool::addTreeRow(QTreeWidgetItem* parent, const QString& name,
                                        const QString& value) {
    QTreeWidgetItem* row =
        parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(ui->prn_tree_widget);
    row->setText(KlxTreeColumn::Name, name);
    row->setText(KlxTreeColumn::Value, value);
    row->setText(KlxTreeColumn::EditType, QString());
    row->setFlags(row->flags() & ~Qt::ItemIsEnabled);
    return row;
}

QTreeWidgetItem* KlxPrnTool::addReadOnlyRow(QTreeWidgetItem* parent, const QString& parentPath,
                                            const QString& name, const QString& defaultValue) {
    const std::string valuePath = utf8(parentPath + QLatin1Char('/') + name);
    if (prnHolder->hasNode(valuePath))
        return addTreeRow(parent, name, prnHolder->nodeText(valuePath));
    if (defaultValue.isEmpty())
        return nullptr;
    QTreeWidgetItem* row = addTreeRow(parent, name, defaultValue);
    markDefault(row);
    return row;
}

QTreeWidgetItem* KlxPrnTool::addReadOnlyRow(QTreeWidgetItem* parent, const QString& parentPath,
                                            const QString& name, int defaultValue) {
    return addReadOnlyRow(parent, parentPath, name, QString::number(defaultValue));
}

QTreeWidgetItem* KlxPrnTool::addOptionRow(QTreeWidgetItem* parent, const QString& parentPath,
                                          const QString& name, const QString& defaultValue,
                                          const QString& editType, int minimum, int maximum) {
    const std::string valuePath = utf8(parentPath + QLatin1Char('/') + name);
    if (prnHolder->hasNode(valuePath)) {
        return addEditableRow(parent, name, parentPath, prnHolder->nodeText(valuePath), editType,
                              minimum, maximum);
    }
    if (defaultValue.isEmpty())
        return nullptr;
    QTreeWidgetItem* row =
        addEditableRow(parent, name, parentPath, defaultValue, editType, minimum, maximum);
    markDefault(row);
    return row;
}

QTreeWidgetItem* KlxPrnTool::addEditableRow(QTreeWidgetItem* parent, const QString& name,
                                            const QString& parentPath, const QString& value,
                                            const QString& editType, int minimum, int maximum) {
    return addEditableRow(parent, name, parentPath, value,
                          {editType, QString::number(minimum), QString::number(maximum)});
}

QTreeWidgetItem* KlxPrnTool::addEditableRow(QTreeWidgetItem* parent, const QString& name,
                                            const QString& parentPath, const QString& value,
                                            const KlxEditTexts& edit) {
    QTreeWidgetItem* row = addTreeRow(parent, name, value);
    row->setText(KlxTreeColumn::EditType, edit.type);
    row->setText(KlxTreeColumn::ParentPath, parentPath);
    row->setText(KlxTreeColumn::Minimum, edit.minimum);
    row->setText(KlxTreeColumn::Maximum, edit.maximum);
    // Ancestors of an enabled row are enabled already.
    for (QTreeWidgetItem* r = row; r && !(r->flags() & Qt::ItemIsEnabled); r = r->parent())
        r->setFlags(r->flags() | Qt::ItemIsEnabled);
    return row;
}

void KlxPrnTool::addRegionRows(QTreeWidgetItem* parent, int side, char panel, const QString& kind) {
    const QString path = regionPath(side, panel, kind);
    if (!prnHolder->hasNode(utf8(path)))
        return;
    // A job may hold hundreds of thousands of rectangles: the texts every one of their rows
    // repeats are made once and shared, not copied into each row.
    struct Field {
        const char* name;
        QString shownName;
        KlxEditTexts edit;
    };
    std::vector<Field> fields;
    for (const KlxOptionEntry& field : klxOptionTable()) {
        if (std::strcmp(field.group, "area") == 0)
            fields.push_back(
                {field.name,
                 QString::fromLatin1(field.name),
                 {QString::fromLatin1(field.editType), QString::number(int(field.minimum)),
                  QString::number(int(field.maximum))}});
    }
    const pugi::xpath_node_set nodes = prnHolder->selectNodes(utf8(path));
    int index = 0;
    for (const pugi::xpath_node& node : nodes) {
        ++index;
        // "(set)[k]" names the k-th rectangle of the whole set, so an edit lands in this one even
        // where the panel has several.
        const QString rectPath = QStringLiteral("(%1)[%2]").arg(path).arg(index);
        QTreeWidgetItem* regionRow = addTreeRow(parent, kind, QString());
        for (const Field& field : fields)
            addEditableRow(regionRow, field.shownName, rectPath,
                           prnHolder->childText(node, field.name), field.edit);
    }
}

void KlxPrnTool::addTableRows(QTreeWidgetItem* parent, const QString& parentPath, const char* group,
                              char panel) {
    const QString groupName = QString::fromLatin1(group);
    for (const KlxOptionEntry& entry : klxOptionTable()) {
        if (klxFindOption(groupName, QString::fromLatin1(entry.name), panel) != &entry)
            continue;
        const QString name = QString::fromLatin1(entry.name);
        const QString fallback = QString::fromLatin1(entry.defaultValue);
        if (entry.editable())
            addOptionRow(parent, parentPath, name, fallback, QString::fromLatin1(entry.editType),
                         int(entry.minimum), int(entry.maximum));
        else
            addReadOnlyRow(parent, parentPath, name, fallback);
    }
}
