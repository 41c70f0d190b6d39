#include "PrinterPage.h"

#include "PrinterExchangeRunner.h"
#include "PrinterFacts.h"

#include <kalyxcomms/Comms.h>
#include <kalyxcomms/Printer.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QSaveFile>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// Update files and Glintmark pictures travel as one request; the protocol carries at most
// 100 MiB in a message.
constexpr qint64 maxPayloadFile = qint64(100) << 20;
// How often the shown page asks the printer again.
constexpr int refreshIntervalMs = 5000;

struct Choice {
    const char* text;
    int value;
};

const Choice moveChoices[] = {
    {QT_TRANSLATE_NOOP("PrinterPage", "Initialise"), Orvane::Initialise},
    {QT_TRANSLATE_NOOP("PrinterPage", "To standby"), Orvane::ToStandby},
    {QT_TRANSLATE_NOOP("PrinterPage", "To contact encoder"), Orvane::ToContact},
    {QT_TRANSLATE_NOOP("PrinterPage", "To contactless encoder"), Orvane::ToContactless},
    {QT_TRANSLATE_NOOP("PrinterPage", "Flip"), Orvane::Flip},
    {QT_TRANSLATE_NOOP("PrinterPage", "Eject"), Orvane::Eject},
};
const Choice errorChoices[] = {
    {QT_TRANSLATE_NOOP("PrinterPage", "Card jam"), Orvane::CardJam},
    {QT_TRANSLATE_NOOP("PrinterPage", "Ribbon out"), Orvane::RibbonOut},
    {QT_TRANSLATE_NOOP("PrinterPage", "Feeder empty"), Orvane::FeederEmpty},
    {QT_TRANSLATE_NOOP("PrinterPage", "Cover open"), Orvane::CoverOpen},
    {QT_TRANSLATE_NOOP("PrinterPage", "Magnetic encoding failed"), Orvane::MagneticEncodingFailed},
};
const Choice powerChoices[] = {
    {QT_TRANSLATE_NOOP("PrinterPage", "Shut down"), Orvane::ShutDown},
    {QT_TRANSLATE_NOOP("PrinterPage", "Reboot"), Orvane::Reboot},
    {QT_TRANSLATE_NOOP("PrinterPage", "Fast restart"), Orvane::FastRestart},
};
const Choice storeChoices[] = {
    {QT_TRANSLATE_NOOP("PrinterPage", "Shipped settings"), Orvane::Shipped},
    {QT_TRANSLATE_NOOP("PrinterPage", "Default settings"), Orvane::Default},
};

template <std::size_t N> QComboBox* choiceBox(const Choice (&choices)[N], const char* name) {
    auto* box = new QComboBox;
    box->setObjectName(QString::fromLatin1(name));
    for (const Choice& choice : choices)
        box->addItem(QCoreApplication::translate("PrinterPage", choice.text), choice.value);
    return box;
}

QString positionInWords(int position) {
    switch (position) {
    case Orvane::Source:
        return QCoreApplication::translate("PrinterPage", "in the feeder");
    case Orvane::Standby:
        return QCoreApplication::translate("PrinterPage", "at standby");
    case Orvane::EncoderModule:
        return QCoreApplication::translate("PrinterPage", "in the encoder module");
    default:
        return QCoreApplication::translate("PrinterPage", "unknown");
    }
}

QLabel* valueLabel(const char* name) {
    auto* label = new QLabel(QStringLiteral("-"));
    label->setObjectName(QString::fromLatin1(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

bool readWholeFile(const QString& path, std::vector<unsigned char>& bytes, QString& reason) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
        return false;
    }
    if (file.size() > maxPayloadFile) {
        reason = QCoreApplication::translate("PrinterPage", "the file is larger than 100 MiB");
        return false;
    }
    const QByteArray data = file.readAll();
    if (data.size() != file.size()) {
        reason = file.errorString();
        return false;
    }
    bytes.assign(data.begin(), data.end());
    return true;
}

} // namespace

PrinterPage::PrinterPage(PrinterExchangeRunner* runner,
                         std::function<PrinterChoice()> chosenPrinter, QWidget* parent)
    : QWidget(parent), runner(runner), chosenPrinter(std::move(chosenPrinter)),
      refreshTimer(new QTimer(this)) {
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(buildStateBox());
    left->addWidget(buildActionsBox());
    left->addStretch(1);
    columns->addLayout(left, 1);
    columns->addWidget(buildSettingsBox(), 1);

    resultLabel = valueLabel("printerResultLabel");
    resultLabel->setText(QString());
    resultLabel->setWordWrap(true);
    auto* page = new QVBoxLayout(this);
    page->addLayout(columns, 1);
    page->addWidget(resultLabel);

    refreshTimer->setInterval(refreshIntervalMs);
    connect(refreshTimer, &QTimer::timeout, this, [this] {
        if (!this->runner->busy())
            refresh();
    });
}

QPushButton* PrinterPage::addButton(const QString& text, void (PrinterPage::*slot)()) {
    auto* button = new QPushButton(text);
    connect(button, &QPushButton::clicked, this, slot);
    actionButtons.push_back(button);
    return button;
}

QWidget* PrinterPage::buildStateBox() {
    auto* box = new QGroupBox(tr("Printer"));
    auto* form = new QFormLayout(box);
    printerLabel = valueLabel("printerNameLabel");
    modelLabel = valueLabel("printerModelLabel");
    serialLabel = valueLabel("printerSerialLabel");
    firmwareLabel = valueLabel("printerFirmwareLabel");
    positionLabel = valueLabel("printerPositionLabel");
    errorLabel = valueLabel("printerErrorLabel");
    hopperLabel = valueLabel("printerHopperLabel");
    form->addRow(tr("Chosen:"), printerLabel);
    form->addRow(tr("Model:"), modelLabel);
    form->addRow(tr("Serial number:"), serialLabel);
    form->addRow(tr("Firmware:"), firmwareLabel);
    form->addRow(tr("Card:"), positionLabel);
    form->addRow(tr("Error:"), errorLabel);
    form->addRow(tr("Cards in hopper:"), hopperLabel);
    QPushButton* refreshButton = addButton(tr("&Refresh"), &PrinterPage::refresh);
    refreshButton->setObjectName(QStringLiteral("refreshPrinterButton"));
    form->addRow(QString(), refreshButton);
    return box;
}

QWidget* PrinterPage::buildActionsBox() {
    auto* box = new QGroupBox(tr("Actions"));
    auto* grid = new QGridLayout(box);
    int row = 0;
    auto named = [](QPushButton* button, const char* name) {
        button->setObjectName(QString::fromLatin1(name));
        return button;
    };

    grid->addWidget(new QLabel(tr("Clear the error:")), row, 0);
    grid->addWidget(named(addButton(tr("Retry the job"), &PrinterPage::clearErrorRetry),
                          "clearErrorRetryButton"),
                    row, 1);
    grid->addWidget(named(addButton(tr("Cancel the job"), &PrinterPage::clearErrorCancel),
                          "clearErrorCancelButton"),
                    row++, 2);

    moveBox = choiceBox(moveChoices, "moveCardBox");
    grid->addWidget(new QLabel(tr("Move the card:")), row, 0);
    grid->addWidget(moveBox, row, 1);
    grid->addWidget(named(addButton(tr("Move"), &PrinterPage::moveCard), "moveCardButton"), row++,
                    2);

    forceBox = choiceBox(errorChoices, "forceErrorBox");
    grid->addWidget(new QLabel(tr("Force an error (service):")), row, 0);
    grid->addWidget(forceBox, row, 1);
    grid->addWidget(named(addButton(tr("Force"), &PrinterPage::forceError), "forceErrorButton"),
                    row++, 2);

    powerBox = choiceBox(powerChoices, "powerDownBox");
    grid->addWidget(new QLabel(tr("Power:")), row, 0);
    grid->addWidget(powerBox, row, 1);
    grid->addWidget(
        named(addButton(tr("Power down..."), &PrinterPage::powerDown), "powerDownButton"), row++,
        2);

    storeBox = choiceBox(storeChoices, "loadSettingsBox");
    grid->addWidget(new QLabel(tr("Settings:")), row, 0);
    grid->addWidget(
        named(addButton(tr("Store settings"), &PrinterPage::storeSettings), "storeSettingsButton"),
        row++, 1);
    grid->addWidget(storeBox, row, 1);
    grid->addWidget(named(addButton(tr("Load"), &PrinterPage::loadSettings), "loadSettingsButton"),
                    row++, 2);

    grid->addWidget(new QLabel(tr("Service:")), row, 0);
    grid->addWidget(
        named(addButton(tr("Save report..."), &PrinterPage::saveReport), "saveReportButton"), row,
        1);
    grid->addWidget(named(addButton(tr("Calibrate"), &PrinterPage::calibrate), "calibrateButton"),
                    row++, 2);

    slotBox = new QSpinBox;
    slotBox->setObjectName(QStringLiteral("glintmarkSlotBox"));
    slotBox->setRange(0, 15);
    slotBox->setPrefix(tr("Slot "));
    grid->addWidget(new QLabel(tr("Glintmark:")), row, 0);
    grid->addWidget(slotBox, row++, 1);
    grid->addWidget(named(addButton(tr("Upload picture..."), &PrinterPage::uploadGlintmark),
                          "uploadGlintmarkButton"),
                    row, 1);
    grid->addWidget(
        named(addButton(tr("Preview"), &PrinterPage::previewGlintmark), "previewGlintmarkButton"),
        row++, 2);
    glintmarkLabel = new QLabel;
    glintmarkLabel->setObjectName(QStringLiteral("glintmarkPreviewLabel"));
    glintmarkLabel->setMaximumHeight(96);
    grid->addWidget(glintmarkLabel, row++, 1, 1, 2);

    grid->addWidget(new QLabel(tr("Update from a file:")), row, 0);
    grid->addWidget(
        named(addButton(tr("Software..."), &PrinterPage::updateSoftware), "updateSoftwareButton"),
        row, 1);
    grid->addWidget(named(addButton(tr("Capability..."), &PrinterPage::updateCapability),
                          "updateCapabilityButton"),
                    row++, 2);
    return box;
}

QWidget* PrinterPage::buildSettingsBox() {
    auto* box = new QGroupBox(tr("Settings"));
    auto* layout = new QVBoxLayout(box);
    settingsTable = new QTableWidget(0, 2);
    settingsTable->setObjectName(QStringLiteral("printerSettingsTable"));
    settingsTable->setHorizontalHeaderLabels({tr("Setting"), tr("Value")});
    settingsTable->horizontalHeader()->setStretchLastSection(true);
    settingsTable->verticalHeader()->setVisible(false);
    layout->addWidget(settingsTable);
    auto* hint = new QLabel(tr("Values in black can be changed: edit them, then write them."));
    hint->setWordWrap(true);
    layout->addWidget(hint);
    QPushButton* write = addButton(tr("&Write settings"), &PrinterPage::writeSettings);
    write->setObjectName(QStringLiteral("writeSettingsButton"));
    layout->addWidget(write);
    return box;
}

void PrinterPage::updateActions(bool busy) {
    const bool talks = chosenPrinter().talksToPrinter();
    for (QPushButton* button : actionButtons)
        button->setEnabled(!busy && talks);
    if (!busy && stale && talks && isVisible())
        QTimer::singleShot(0, this, [this] {
            if (stale && !runner->busy() && isVisible())
                refresh();
        });
}

void PrinterPage::printerChanged() {
    for (QLabel* label :
         {modelLabel, serialLabel, firmwareLabel, positionLabel, errorLabel, hopperLabel})
        label->setText(QStringLiteral("-"));
    settingsTable->setRowCount(0);
    glintmarkLabel->clear();
    stale = true;
    const PrinterChoice choice = chosenPrinter();
    printerLabel->setText(choice.kind == PrinterChoice::Kind::FirstUsb ? tr("First printer on USB")
                                                                       : choice.name);
    resultLabel->setText(choice.talksToPrinter()
                             ? QString()
                             : tr("A CUPS queue takes print jobs only; choose a printer to see "
                                  "its state."));
    updateActions(runner->busy());
}

void PrinterPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refreshTimer->start();
    if (!runner->busy() && chosenPrinter().talksToPrinter())
        refresh();
}

void PrinterPage::hideEvent(QHideEvent* event) {
    refreshTimer->stop();
    QWidget::hideEvent(event);
}

void PrinterPage::exchange(const QString& what, Call call,
                           std::function<void(const Outcome&)> after) {
    const PrinterChoice choice = chosenPrinter();
    if (!choice.talksToPrinter())
        return;
    auto outcome = std::make_shared<Outcome>();
    const UsbPrinterOpener opener = usbOpener;
    const bool started = runner->start(
        what,
        [outcome, choice, opener, call](std::atomic<int>&) {
            const Orvane::Comms comms;
            OpenedPrinter opened = openChosenPrinter(comms, choice, opener);
            outcome->where = opened.where;
            if (!opened.printer)
                return;
            outcome->reached = true;
            const PrinterExchangeRunner::AbortOnCancel abortable(*opened.printer);
            outcome->exchanged = call(*opened.printer, *outcome);
            outcome->failure = opened.printer->lastFailure();
            outcome->foreign =
                opened.printer->lastReception() == Orvane::Reception::Foreign;
        },
        [this, outcome, what, after] {
            if (!outcome->reached) {
                showResult(tr("Could not open connection to printer.") + QLatin1Char(' ') +
                               tr("Check that it is switched on and connected, or choose "
                                  "another printer."),
                           true);
                return;
            }
            if (!outcome->exchanged && outcome->foreign) {
                showResult(tr("%1: %2 does not answer like a Kalyx printer: what it sent is no "
                              "printer's answer. Check the address and port.")
                               .arg(what, outcome->where),
                           true);
                return;
            }
            if (!outcome->exchanged) {
                showResult(tr("%1: no answer from %2: %3.")
                               .arg(what, outcome->where, failureInWords(outcome->failure)),
                           true);
                return;
            }
            if (after)
                after(*outcome);
            if (!outcome->err.empty())
                showResult(tr("%1: the printer refused: %2")
                               .arg(what, QString::fromStdString(outcome->err)),
                           true);
            else if (resultLabel->property("keep").toBool())
                resultLabel->setProperty("keep", false);
            else
                showResult(tr("%1: done.").arg(what), false);
        });
    if (!started)
        showResult(tr("Wait for the printer to finish: %1.").arg(runner->what()), true);
}

void PrinterPage::showResult(const QString& text, bool problem) {
    resultLabel->setText(text);
    resultLabel->setStyleSheet(problem ? QStringLiteral("color: #b00020") : QString());
}

void PrinterPage::refresh() {
    stale = false;
    exchange(
        tr("Refresh"),
        [](Orvane::Printer& printer, Outcome& outcome) {
            for (int i = 0; i < knownSettingCount; ++i)
                outcome.values[knownSettings[i].key];
            if (!printer.readSettings(outcome.values, outcome.err))
                return false;
            // A printer in an error state says so with its values; the page shows that error
            // from the report, so the refresh itself is not refused for it.
            outcome.err.clear();
            std::string reportErr;
            // State comes from the report; a printer that refuses it still shows its settings.
            if (printer.getReport(outcome.bytes, reportErr) && !reportErr.empty())
                outcome.bytes.clear();
            return true;
        },
        [this](const Outcome& outcome) { showState(outcome); });
}

void PrinterPage::showState(const Outcome& outcome) {
    auto value = [&](const char* key) {
        const auto it = outcome.values.find(key);
        return it == outcome.values.end() || it->second.empty()
                   ? QStringLiteral("-")
                   : QString::fromStdString(it->second);
    };
    modelLabel->setText(value("id-model-name"));
    serialLabel->setText(value("id-printer-serial"));
    firmwareLabel->setText(value("id-software-version"));
    const QMap<QString, QString> report = reportFields(
        QByteArray(reinterpret_cast<const char*>(outcome.bytes.data()), int(outcome.bytes.size())));
    positionLabel->setText(report.value(QStringLiteral("Card position"), QStringLiteral("-")));
    const QString error = report.value(QStringLiteral("Error"), QStringLiteral("-"));
    errorLabel->setText(error == QLatin1String("none") ? tr("none") : error);
    QString hopper = value("cards-in-hopper");
    if (hopper == QLatin1String("-"))
        hopper = report.value(QStringLiteral("Cards in hopper"), hopper);
    hopperLabel->setText(hopper);
    fillSettings(outcome.values);
}

void PrinterPage::fillSettings(const std::map<std::string, std::string>& values) {
    settingsTable->setRowCount(0);
    for (const auto& [key, text] : values) {
        if (text.empty())
            continue; // the printer does not have this setting
        const int row = settingsTable->rowCount();
        settingsTable->insertRow(row);
        auto* name = new QTableWidgetItem(QString::fromStdString(key));
        name->setFlags(Qt::ItemIsEnabled);
        auto* value = new QTableWidgetItem(QString::fromStdString(text));
        value->setData(Qt::UserRole, value->text());
        if (isWritableSetting(name->text())) {
            value->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        } else {
            value->setFlags(Qt::ItemIsEnabled);
            value->setForeground(palette().brush(QPalette::Disabled, QPalette::Text));
        }
        settingsTable->setItem(row, 0, name);
        settingsTable->setItem(row, 1, value);
    }
    settingsTable->resizeColumnToContents(0);
}

void PrinterPage::writeSettings() {
    std::map<std::string, std::string> changed;
    for (int row = 0; row < settingsTable->rowCount(); ++row) {
        const QTableWidgetItem* value = settingsTable->item(row, 1);
        if (value && (value->flags() & Qt::ItemIsEditable) &&
            value->text() != value->data(Qt::UserRole).toString())
            changed[settingsTable->item(row, 0)->text().toStdString()] =
                value->text().toStdString();
    }
    if (changed.empty()) {
        showResult(tr("No setting was changed."), false);
        return;
    }
    exchange(
        tr("Write settings"),
        [changed](Orvane::Printer& printer, Outcome& outcome) {
            outcome.values = changed;
            return printer.writeSettings(outcome.values, outcome.err);
        },
        [this](const Outcome& outcome) {
            // The printer answers with what it holds now, accepted or not.
            for (int row = 0; row < settingsTable->rowCount(); ++row) {
                const auto it =
                    outcome.values.find(settingsTable->item(row, 0)->text().toStdString());
                if (it == outcome.values.end() || it->second.empty())
                    continue;
                QTableWidgetItem* value = settingsTable->item(row, 1);
                value->setText(QString::fromStdString(it->second));
                value->setData(Qt::UserRole, value->text());
            }
        });
}

void PrinterPage::clearErrorRetry() {
    exchange(
        tr("Clear the error"),
        [](Orvane::Printer& printer, Outcome& outcome) {
            return printer.clearError(Orvane::RetryCurrentPrintJob, outcome.err);
        },
        [this](const Outcome& outcome) {
            if (outcome.err.empty())
                errorLabel->setText(tr("none"));
        });
}

void PrinterPage::clearErrorCancel() {
    exchange(
        tr("Clear the error"),
        [](Orvane::Printer& printer, Outcome& outcome) {
            return printer.clearError(Orvane::CancelCurrentPrintJob, outcome.err);
        },
        [this](const Outcome& outcome) {
            if (outcome.err.empty())
                errorLabel->setText(tr("none"));
        });
}

void PrinterPage::moveCard() {
    const auto action = Orvane::MoveCardAction(moveBox->currentData().toInt());
    exchange(
        tr("Move the card"),
        [action](Orvane::Printer& printer, Outcome& outcome) {
            Orvane::CardPosition position = Orvane::Unrecognised;
            const bool done = printer.moveCard(action, position, outcome.err);
            outcome.position = position;
            return done;
        },
        [this](const Outcome& outcome) {
            if (!outcome.err.empty())
                return;
            positionLabel->setText(positionInWords(outcome.position));
            showResult(tr("The card is %1.").arg(positionInWords(outcome.position)), false);
            resultLabel->setProperty("keep", true);
        });
}

void PrinterPage::forceError() {
    const auto code = Orvane::ErrorType(forceBox->currentData().toInt());
    exchange(tr("Force an error"), [code](Orvane::Printer& printer, Outcome& outcome) {
        return printer.forceError(code, outcome.err);
    });
}

void PrinterPage::powerDown() {
    const auto action = Orvane::PowerDownAction(powerBox->currentData().toInt());
    const QString printer = printerLabel->text();
    if (QMessageBox::question(
            this, tr("Power down"), tr("%1: %2?").arg(powerBox->currentText(), printer),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return;
    exchange(tr("Power down"), [action](Orvane::Printer& p, Outcome& outcome) {
        return p.powerDown(action, outcome.err);
    });
}

void PrinterPage::storeSettings() {
    exchange(tr("Store settings"),
             [](Orvane::Printer& printer, Outcome& outcome) { return printer.save(outcome.err); });
}

void PrinterPage::loadSettings() {
    const auto store = Orvane::Store(storeBox->currentData().toInt());
    exchange(tr("Load settings"), [store](Orvane::Printer& printer, Outcome& outcome) {
        return printer.load(store, outcome.err);
    });
}

void PrinterPage::saveReport() {
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Save the printer's report"), QString(), tr("Reports (*.txt);;All files (*)"));
    if (path.isEmpty())
        return;
    exchange(
        tr("Save report"),
        [](Orvane::Printer& printer, Outcome& outcome) {
            return printer.getReport(outcome.bytes, outcome.err);
        },
        [this, path](const Outcome& outcome) {
            if (!outcome.err.empty())
                return;
            QSaveFile file(path);
            const bool saved =
                file.open(QIODevice::WriteOnly) &&
                file.write(reinterpret_cast<const char*>(outcome.bytes.data()),
                           qint64(outcome.bytes.size())) == qint64(outcome.bytes.size()) &&
                file.commit();
            showResult(
                saved ? tr("Report saved to %1 (%2 bytes).")
                            .arg(QDir::toNativeSeparators(path))
                            .arg(outcome.bytes.size())
                      : tr("Couldn't save the report to %1.").arg(QDir::toNativeSeparators(path)),
                !saved);
            resultLabel->setProperty("keep", true);
        });
}

void PrinterPage::calibrate() {
    exchange(
        tr("Calibrate"),
        [](Orvane::Printer& printer, Outcome& outcome) {
            return printer.calibrateDyeCtrl(outcome.values, outcome.err);
        },
        [this](const Outcome& outcome) {
            if (!outcome.err.empty())
                return;
            QStringList results;
            for (const auto& [key, value] : outcome.values)
                results << QString::fromStdString(key + " " + value);
            showResult(tr("Calibrated: %1").arg(results.join(QStringLiteral(", "))), false);
            resultLabel->setProperty("keep", true);
        });
}

void PrinterPage::uploadGlintmark() {
    const QString path = QFileDialog::getOpenFileName(this, tr("Choose a Glintmark picture"));
    if (path.isEmpty())
        return;
    std::vector<unsigned char> image;
    QString reason;
    if (!readWholeFile(path, image, reason)) {
        showResult(tr("Cannot read %1: %2").arg(QDir::toNativeSeparators(path), reason), true);
        return;
    }
    const int slot = slotBox->value();
    exchange(tr("Upload Glintmark"), [slot, image](Orvane::Printer& printer, Outcome& outcome) {
        return printer.updateGlintmark(slot, image, outcome.err);
    });
}

void PrinterPage::previewGlintmark() {
    const int slot = slotBox->value();
    exchange(
        tr("Glintmark preview"),
        [slot](Orvane::Printer& printer, Outcome& outcome) {
            return printer.getGlintmarkPreview(slot, outcome.bytes, outcome.err);
        },
        [this](const Outcome& outcome) {
            if (!outcome.err.empty())
                return;
            QImage picture;
            picture.loadFromData(outcome.bytes.data(), int(outcome.bytes.size()));
            if (picture.isNull()) {
                glintmarkLabel->setText(tr("(%1 bytes, not a picture)").arg(outcome.bytes.size()));
            } else {
                glintmarkLabel->setPixmap(QPixmap::fromImage(picture.scaled(
                    glintmarkLabel->maximumHeight() * 2, glintmarkLabel->maximumHeight(),
                    Qt::KeepAspectRatio, Qt::SmoothTransformation)));
            }
        });
}

void PrinterPage::updateSoftware() {
    updateFromFile(true);
}

void PrinterPage::updateCapability() {
    updateFromFile(false);
}

void PrinterPage::updateFromFile(bool software) {
    const QString path = QFileDialog::getOpenFileName(
        this, software ? tr("Choose a software image") : tr("Choose a capability file"));
    if (path.isEmpty())
        return;
    const QString file = QDir::toNativeSeparators(path);
    const QString question = software ? tr("Update the software of %1 from %2?")
                                      : tr("Update the capability of %1 from %2?");
    if (QMessageBox::question(
            this, tr("Update the printer"), question.arg(printerLabel->text(), file),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return;
    std::vector<unsigned char> bytes;
    QString reason;
    if (!readWholeFile(path, bytes, reason)) {
        showResult(tr("Cannot read %1: %2").arg(file, reason), true);
        return;
    }
    exchange(software ? tr("Update software") : tr("Update capability"),
             [software, bytes](Orvane::Printer& printer, Outcome& outcome) {
                 return software ? printer.updateSoftware(bytes, outcome.err)
                                 : printer.updateCapability(bytes, outcome.err);
             });
}
