#include "BatchUncertainDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

namespace {

enum Answer { Unanswered, Printed, Reprint };

} // namespace

BatchUncertainDialog::BatchUncertainDialog(const std::vector<BatchJournalRow>& rows,
                                           QWidget* parent)
    : QDialog(parent), rows(rows) {
    setWindowTitle(tr("Cards that may have printed"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(tr("The printer broke off while these cards were being sent: they "
                                "may have printed. Look at the printed cards, then say for each "
                                "whether it printed. A card that did not print prints with the "
                                "rest of the batch."));
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("<b>Row</b>")), 0, 0);
    grid->addWidget(new QLabel(tr("<b>Printer</b>")), 0, 1);
    grid->addWidget(new QLabel(tr("<b>Did it print?</b>")), 0, 2);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const BatchJournalRow& row = rows[i];
        const int line = int(i) + 1;
        grid->addWidget(new QLabel(tr("%1 (%2)").arg(row.row).arg(row.key)), line, 0);
        auto* printer = new QLabel(row.printer);
        printer->setToolTip(row.reason);
        grid->addWidget(printer, line, 1);
        auto* box = new QComboBox;
        box->addItem(tr("Choose..."), Unanswered);
        box->addItem(tr("It printed"), Printed);
        box->addItem(tr("It did not print: print it again"), Reprint);
        box->setAccessibleName(tr("Did row %1 (%2) print?").arg(row.row).arg(row.key));
        connect(box, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
                &BatchUncertainDialog::updateOk);
        grid->addWidget(box, line, 2);
        answers.push_back(box);
    }
    // The rows sit at the top of the list, however tall the dialog.
    grid->setRowStretch(int(rows.size()) + 1, 1);
    grid->setColumnStretch(1, 1);
    auto* rowsWidget = new QWidget;
    rowsWidget->setLayout(grid);
    auto* scroll = new QScrollArea;
    scroll->setWidget(rowsWidget);
    scroll->setWidgetResizable(true);
    layout->addWidget(scroll, 1);
    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Record the answers"));
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName(tr("Record the answers"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Later"));
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(tr("Answer later"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    updateOk();
    resize(620, std::min(560, 220 + 40 * int(rows.size())));
}

void BatchUncertainDialog::answer(int index, bool printed) {
    answers.at(std::size_t(index))->setCurrentIndex(printed ? Printed : Reprint);
}

void BatchUncertainDialog::updateOk() {
    buttons->button(QDialogButtonBox::Ok)->setEnabled(confirmations().size() == int(rows.size()));
}

QStringList BatchUncertainDialog::confirmations() const {
    QStringList words;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int answer = answers[i]->currentData().toInt();
        if (answer != Unanswered)
            words << rows[i].key + (answer == Printed ? QStringLiteral("=printed")
                                                      : QStringLiteral("=reprint"));
    }
    return words;
}
