// Rows that may have printed when a batch stopped (the printer broke off while taking the card):
// only the operator, looking at the cards, can say. Each row is answered "printed" or "print
// again"; the answers go into the journal as kalyxprn batch --confirm KEY=printed|reprint.
#pragma once

#include "BatchJournalState.h"

#include <QDialog>
#include <QStringList>

#include <vector>

class QComboBox;
class QDialogButtonBox;

class BatchUncertainDialog : public QDialog {
    Q_OBJECT

public:
    BatchUncertainDialog(const std::vector<BatchJournalRow>& rows, QWidget* parent = nullptr);

    // "KEY=printed" or "KEY=reprint" for every row, once each is answered.
    QStringList confirmations() const;
    // Answers row `index` (for tests and keyboard users alike): true printed, false print again.
    void answer(int index, bool printed);

private:
    void updateOk();

    std::vector<BatchJournalRow> rows;
    std::vector<QComboBox*> answers;
    QDialogButtonBox* buttons;
};
