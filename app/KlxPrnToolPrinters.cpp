// The printer chooser beside Print: the first printer on USB, each USB printer found, network
// printers the user added, and CUPS queues of Kalyx printers. The choice and the added printers
// are remembered in the settings.
#include "KlxPrnTool.h"

#include "CupsQueues.h"
#include "PrinterExchangeRunner.h"
#include "PrinterPage.h"
#include "ui_KlxPrnTool.h"

#include <kalyxcomms/Comms.h>

#include <QComboBox>
#include <QInputDialog>
#include <QSignalBlocker>

#include <algorithm>

namespace {

const QString choiceKey = QStringLiteral("printer");
const QString networkPrintersKey = QStringLiteral("networkPrinters");
// Items after the printers: actions, not destinations.
const QString addNetworkItem = QStringLiteral("add-network");
const QString lookAgainItem = QStringLiteral("look-again");

} // namespace

void KlxPrnTool::setUpPrinters() {
    printerPage->setUsbOpener([this](const Orvane::Comms& comms, const std::string& devicePath) {
        return printerOpener ? printerOpener(devicePath) : comms.getUsbPrinter(devicePath);
    });
    fillPrinterChooser({});
    lookForPrinters();
}

void KlxPrnTool::lookForPrinters() {
    // Discovery opens every USB printer and asks it who it is: off the GUI thread too.
    auto found = std::make_shared<std::vector<PrinterChoice>>();
    exchanges->start(
        tr("Looking for printers"),
        [found](std::atomic<int>&) {
            const Orvane::Comms comms;
            for (const Orvane::UsbPrinterInfo& info : comms.getUsbPrinterInfos()) {
                PrinterChoice usb;
                usb.kind = PrinterChoice::Kind::Usb;
                usb.name = QString::fromStdString(info.description);
                usb.devicePath = QString::fromStdString(info.devicePath);
                found->push_back(usb);
            }
            for (const CupsQueue& queue : kalyxCupsQueues()) {
                PrinterChoice choice;
                choice.kind = PrinterChoice::Kind::Queue;
                choice.name = queue.name;
                found->push_back(choice);
            }
        },
        [this, found] {
            fillPrinterChooser(*found);
            const int usb = int(std::count_if(found->begin(), found->end(), [](const auto& c) {
                return c.kind == PrinterChoice::Kind::Usb;
            }));
            if (usb == 0 && chosenPrinter().kind == PrinterChoice::Kind::FirstUsb)
                showStatus(noPrinterHint());
            else
                showStatus(tr("Printers found on USB: %1.").arg(usb));
        });
}

void KlxPrnTool::fillPrinterChooser(const std::vector<PrinterChoice>& found) {
    const QString remembered = settings.value(choiceKey, PrinterChoice().key()).toString();
    printerChoices.clear();
    printerChoices.push_back(PrinterChoice());
    for (const PrinterChoice& choice : found) {
        if (choice.kind == PrinterChoice::Kind::Usb)
            printerChoices.push_back(choice);
    }
    for (const QString& address : settings.value(networkPrintersKey).toStringList()) {
        PrinterChoice network;
        network.kind = PrinterChoice::Kind::Network;
        network.name = address;
        printerChoices.push_back(network);
    }
    for (const PrinterChoice& choice : found) {
        if (choice.kind == PrinterChoice::Kind::Queue)
            printerChoices.push_back(choice);
    }
    // A remembered printer that is not attached now stays chosen, so a print says it is missing
    // rather than going elsewhere.
    const PrinterChoice rememberedChoice = PrinterChoice::fromKey(remembered);
    if (std::find(printerChoices.begin(), printerChoices.end(), rememberedChoice) ==
        printerChoices.end())
        printerChoices.push_back(rememberedChoice);

    QComboBox* box = ui->printerComboBox;
    const QSignalBlocker blocker(box);
    box->clear();
    for (const PrinterChoice& choice : printerChoices) {
        QString text;
        switch (choice.kind) {
        case PrinterChoice::Kind::FirstUsb:
            text = tr("First printer on USB");
            break;
        case PrinterChoice::Kind::Usb:
            text = tr("USB: %1").arg(choice.name);
            break;
        case PrinterChoice::Kind::Network:
            text = tr("Network: %1").arg(choice.name);
            break;
        case PrinterChoice::Kind::Queue:
            text = tr("CUPS queue: %1").arg(choice.name);
            break;
        }
        box->addItem(text, choice.key());
        if (choice.key() == remembered)
            box->setCurrentIndex(box->count() - 1);
    }
    box->insertSeparator(box->count());
    box->addItem(tr("Add a network printer..."), addNetworkItem);
    box->addItem(tr("Look for printers again"), lookAgainItem);
    printerPage->printerChanged();
}

PrinterChoice KlxPrnTool::chosenPrinter() const {
    const QString key = ui->printerComboBox->currentData().toString();
    for (const PrinterChoice& choice : printerChoices) {
        if (choice.key() == key)
            return choice;
    }
    return PrinterChoice();
}

void KlxPrnTool::on_printerComboBox_activated(int index) {
    const QString item = ui->printerComboBox->itemData(index).toString();
    if (item == addNetworkItem || item == lookAgainItem) {
        // Back to the printer chosen before, whatever the action brings.
        const int previous =
            ui->printerComboBox->findData(settings.value(choiceKey, PrinterChoice().key()));
        ui->printerComboBox->setCurrentIndex(std::max(0, previous));
        if (item == addNetworkItem)
            addNetworkPrinter();
        else if (exchanges->busy())
            showStatus(tr("Wait for the printer to finish: %1.").arg(exchanges->what()));
        else
            lookForPrinters();
        return;
    }
    settings.setValue(choiceKey, item);
    printerPage->printerChanged();
    if (printerPage->isVisible() && !exchanges->busy())
        printerPage->refresh();
}

void KlxPrnTool::addNetworkPrinter() {
    bool accepted = false;
    const QString text = QInputDialog::getText(
        this, tr("Add a network printer"),
        tr("The printer's address, HOST or HOST:PORT (port 9100 unless given):"), QLineEdit::Normal,
        QString(), &accepted);
    if (!accepted || text.trimmed().isEmpty())
        return;
    NetworkAddress address;
    QString reason;
    if (!parseNetworkAddress(text, address, reason)) {
        showError(reason);
        return;
    }
    const QString name = address.port == 9100
                             ? address.host
                             : address.host + QLatin1Char(':') + QString::number(address.port);
    QStringList added = settings.value(networkPrintersKey).toStringList();
    if (!added.contains(name))
        added << name;
    settings.setValue(networkPrintersKey, added);
    PrinterChoice network;
    network.kind = PrinterChoice::Kind::Network;
    network.name = name;
    settings.setValue(choiceKey, network.key());
    std::vector<PrinterChoice> found;
    for (const PrinterChoice& choice : printerChoices) {
        if (choice.kind == PrinterChoice::Kind::Usb || choice.kind == PrinterChoice::Kind::Queue)
            found.push_back(choice);
    }
    fillPrinterChooser(found);
    showStatus(tr("Added the network printer %1.").arg(name));
}

QString KlxPrnTool::noPrinterHint() const {
#ifdef _WIN32
    // The simulator for Windows serves TCP only (no --usb there).
    return tr("No printer found on USB. Connect a Kalyx printer by USB and switch it on, add a "
              "network printer in the list beside Print, or try the simulator: start kalyxsim "
              "--port 9100 and add 127.0.0.1:9100 in that list");
#else
    return tr("No printer found on USB. Connect a Kalyx printer by USB and switch it on, add a "
              "network printer in the list beside Print, or try the simulator: kalyxsim --usb "
              "-- kalyxprntool");
#endif
}
