// Field editing: activating an options-tree row edits the value it shows.
#include "KlxPrnTool.h"

#include "KlxTreeColumns.h"
#include "ui_KlxPrnTool.h"
#include <kalyxdocument/KlxPrnHolder.h>
#include <kalyxdocument/OptionTable.h>

#include <QBrush>
#include <QInputDialog>
#include <QMessageBox>

#include <algorithm>
#include <climits>

namespace {

// Text that is not a number reads as 0, as the value a user would most plausibly mean.
// 64-bit on every system (long is 32 bits wide on Windows).
qint64 unsignedValue(const QString& text) {
    const qulonglong value = text.toULongLong();
    return static_cast<qint64>(std::min<qulonglong>(value, LLONG_MAX));
}

qint64 signedValue(const QString& text) {
    return text.toLongLong();
}

int toIntClamped(qint64 value) {
    return static_cast<int>(std::clamp<qint64>(value, INT_MIN, INT_MAX));
}

} // namespace

void KlxPrnTool::on_prn_tree_widget_itemActivated(QTreeWidgetItem* item, int /*column*/) {
    if (!prnLoaded || !prnHolder || !item)
        return;

    const QString editType = item->text(KlxTreeColumn::EditType);
    if (editType.isEmpty()) {
        QMessageBox::information(this, tr("Field information"),
                                 item->text(KlxTreeColumn::Name) + QStringLiteral("\n\n") +
                                     item->text(KlxTreeColumn::Value),
                                 QMessageBox::Ok);
        return;
    }

    if (editType == QLatin1String("uint")) {
        editWithNumber(item, unsignedValue(item->text(KlxTreeColumn::Value)),
                       unsignedValue(item->text(KlxTreeColumn::Minimum)),
                       unsignedValue(item->text(KlxTreeColumn::Maximum)), false);
    } else if (editType == QLatin1String("int")) {
        editWithNumber(item, signedValue(item->text(KlxTreeColumn::Value)),
                       signedValue(item->text(KlxTreeColumn::Minimum)),
                       signedValue(item->text(KlxTreeColumn::Maximum)), true);
    } else if (!klxEditChoices(editType).isEmpty()) {
        editWithList(item, klxEditChoices(editType));
    } else {
        QMessageBox::information(this, tr("Unrecognised edit type"), editType, QMessageBox::Ok);
        return;
    }

    // Accepted or not, the pictures are drawn again.
    refreshImages();
}

void KlxPrnTool::editWithNumber(QTreeWidgetItem* item, qint64 value, qint64 minimum, qint64 maximum,
                                bool isSigned) {
    const int low = toIntClamped(minimum);
    const int high = toIntClamped(maximum);
    // Narrowing a huge value would wrap it to an arbitrary start; start at the nearer bound.
    const int start = toIntClamped(std::clamp<qint64>(value, low, std::max(low, high)));

    bool accepted = false;
    const int result = QInputDialog::getInt(this, item->text(KlxTreeColumn::Name), tr("New value:"),
                                            start, low, high, 1, &accepted);
    if (!accepted)
        return;
    const QString text =
        isSigned ? QString::number(result) : QString::number(static_cast<unsigned int>(result));
    writeEditedValue(item, text);
}

void KlxPrnTool::editWithList(QTreeWidgetItem* item, const QStringList& choices) {
    const int current = std::max(0, choices.indexOf(item->text(KlxTreeColumn::Value)));
    bool accepted = false;
    const QString choice =
        QInputDialog::getItem(this, item->text(KlxTreeColumn::Name), tr("New value:"), choices,
                              current, false, &accepted);
    if (!accepted)
        return;
    writeEditedValue(item, choice);
}

void KlxPrnTool::writeEditedValue(QTreeWidgetItem* item, const QString& value) {
    const bool written = prnHolder->setNodeText(item->text(KlxTreeColumn::Name).toStdString(),
                                                item->text(KlxTreeColumn::ParentPath).toStdString(),
                                                value.toStdString());
    if (!written)
        return;
    item->setText(KlxTreeColumn::Value, value);
    item->setForeground(KlxTreeColumn::Value, QBrush(klxEditedValueColour()));
}
