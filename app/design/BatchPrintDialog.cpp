#include "BatchPrintDialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

QString printerChoiceText(const PrinterChoice& choice) {
    // The printer chooser's own words (and their translations).
    switch (choice.kind) {
    case PrinterChoice::Kind::FirstUsb:
        return QCoreApplication::translate("KlxPrnTool", "First printer on USB");
    case PrinterChoice::Kind::Usb:
        return QCoreApplication::translate("KlxPrnTool", "USB: %1").arg(choice.name);
    case PrinterChoice::Kind::Network:
        return QCoreApplication::translate("KlxPrnTool", "Network: %1").arg(choice.name);
    case PrinterChoice::Kind::Queue:
        return QCoreApplication::translate("KlxPrnTool", "CUPS queue: %1").arg(choice.name);
    }
    return choice.name;
}

bool batchDestinations(const std::vector<PrinterChoice>& pool, QStringList& options,
                       QString& problem) {
    options.clear();
    const bool queue = std::any_of(pool.begin(), pool.end(), [](const PrinterChoice& c) {
        return c.kind == PrinterChoice::Kind::Queue;
    });
    if (pool.empty() || (queue && pool.size() > 1)) {
        problem = pool.empty()
                      ? BatchPrintDialog::tr("Tick a printer.")
                      : BatchPrintDialog::tr("A CUPS queue prints alone: its scheduler shares "
                                             "the cards among its printers.");
        return false;
    }
    for (const PrinterChoice& choice : pool) {
        switch (choice.kind) {
        case PrinterChoice::Kind::FirstUsb:
            options << QStringLiteral("--usb=");
            break;
        case PrinterChoice::Kind::Usb:
            if (choice.devicePath.isEmpty()) {
                problem =
                    BatchPrintDialog::tr("The USB printer %1 is not attached.").arg(choice.name);
                return false;
            }
            options << QStringLiteral("--usb=") + choice.devicePath;
            break;
        case PrinterChoice::Kind::Network:
            options << QStringLiteral("--tcp=") + choice.name;
            break;
        case PrinterChoice::Kind::Queue:
            options << QStringLiteral("--queue=") + choice.name;
            break;
        }
    }
    return true;
}

BatchPrintDialog::BatchPrintDialog(const std::vector<PrinterChoice>& printers,
                                   const PrinterChoice& ticked, const QString& rowsText,
                                   QWidget* parent)
    : QDialog(parent), printers(printers) {
    setWindowTitle(tr("Print the batch"));
    auto* layout = new QVBoxLayout(this);
    auto* rows = new QLabel(rowsText);
    rows->setWordWrap(true);
    layout->addWidget(rows);
    layout->addWidget(new QLabel(tr("Print to (tick several printers to share the cards among "
                                    "them):")));
    list_ = new QListWidget;
    list_->setAccessibleName(tr("Printers of the batch"));
    for (const PrinterChoice& choice : printers) {
        auto* item = new QListWidgetItem(printerChoiceText(choice), list_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(choice == ticked ? Qt::Checked : Qt::Unchecked);
    }
    connect(list_, &QListWidget::itemChanged, this, &BatchPrintDialog::itemTicked);
    layout->addWidget(list_);
    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Print"));
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName(tr("Print the batch"));
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(tr("Do not print"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    itemTicked(nullptr);
}

void BatchPrintDialog::itemTicked(QListWidgetItem* item) {
    // A queue prints alone: ticking it unticks the printers, ticking a printer unticks queues.
    if (item && item->checkState() == Qt::Checked) {
        const bool queue =
            printers[std::size_t(list_->row(item))].kind == PrinterChoice::Kind::Queue;
        const QSignalBlocker blocker(list_);
        for (int i = 0; i < list_->count(); ++i) {
            const bool otherQueue = printers[std::size_t(i)].kind == PrinterChoice::Kind::Queue;
            if (list_->item(i) != item && (queue || otherQueue))
                list_->item(i)->setCheckState(Qt::Unchecked);
        }
    }
    buttons->button(QDialogButtonBox::Ok)->setEnabled(!chosen().empty());
}

std::vector<PrinterChoice> BatchPrintDialog::chosen() const {
    std::vector<PrinterChoice> pool;
    for (int i = 0; i < list_->count(); ++i)
        if (list_->item(i)->checkState() == Qt::Checked)
            pool.push_back(printers[std::size_t(i)]);
    return pool;
}
