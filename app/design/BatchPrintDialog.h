// Where a batch prints: the window's printers with a tick each, several ticked making a pool
// (each card goes to the next free one); a CUPS queue prints alone, its scheduler sharing the
// cards among the queue's printers.
#pragma once

#include "PrinterChoice.h"

#include <QDialog>
#include <QStringList>

#include <vector>

class QDialogButtonBox;
class QListWidget;
class QListWidgetItem;

class BatchPrintDialog : public QDialog {
    Q_OBJECT

public:
    // `printers` as the window lists them; `ticked` starts ticked. `rowsText` says which rows
    // print.
    BatchPrintDialog(const std::vector<PrinterChoice>& printers, const PrinterChoice& ticked,
                     const QString& rowsText, QWidget* parent = nullptr);

    std::vector<PrinterChoice> chosen() const;
    QListWidget* list() const { return list_; }

private:
    void itemTicked(QListWidgetItem* item);

    std::vector<PrinterChoice> printers;
    QListWidget* list_;
    QDialogButtonBox* buttons;
};

// The kalyxprn batch options that print to `pool`; false with `problem` when one of them cannot
// be printed to (a USB printer that is not attached, a queue in a pool).
bool batchDestinations(const std::vector<PrinterChoice>& pool, QStringList& options,
                       QString& problem);
// The words the window's printer list shows for `choice`.
QString printerChoiceText(const PrinterChoice& choice);
