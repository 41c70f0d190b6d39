// The "Printer" page: identity, state, actions and settings of the chosen printer. Every
// exchange runs through the window's PrinterExchangeRunner, one printer connection each.
#pragma once

#include "PrinterChoice.h"
#include "PrinterConnection.h"

#include <kalyxcomms/FailureReason.h>

#include <QMap>
#include <QString>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class PrinterExchangeRunner;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTableWidgetItem;
class QTimer;

namespace Orvane {
class Printer;
}

class PrinterPage : public QWidget {
    Q_OBJECT

public:
    PrinterPage(PrinterExchangeRunner* runner, std::function<PrinterChoice()> chosenPrinter,
                QWidget* parent = nullptr);

    void setUsbOpener(UsbPrinterOpener opener) { usbOpener = std::move(opener); }
    // Enables the actions by whether an exchange is running.
    void updateActions(bool busy);
    // The chosen printer changed: forget what was shown of the last one.
    void printerChanged();

public slots:
    void refresh();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // What one exchange brought back; filled on the worker thread, read on the GUI thread.
    struct Outcome {
        bool reached = false;
        bool exchanged = false;
        std::string err;
        Orvane::FailureReason failure = Orvane::FailureReason::None;
        bool foreign = false; // what came back is no printer's answer (another service)
        QString where;
        std::map<std::string, std::string> values;
        std::vector<unsigned char> bytes;
        int position = 0;
    };
    using Call = std::function<bool(Orvane::Printer&, Outcome&)>;

    QWidget* buildStateBox();
    QWidget* buildActionsBox();
    QWidget* buildSettingsBox();
    QPushButton* addButton(const QString& text, void (PrinterPage::*slot)());

    // Runs `call` on the chosen printer; `after` runs on success (the printer answered and did
    // not refuse). Refusals and failures are shown in words.
    void exchange(const QString& what, Call call, std::function<void(const Outcome&)> after = {});
    void showResult(const QString& text, bool problem);
    void showState(const Outcome& outcome);
    void fillSettings(const std::map<std::string, std::string>& values);

    void clearErrorRetry();
    void clearErrorCancel();
    void moveCard();
    void forceError();
    void powerDown();
    void storeSettings();
    void loadSettings();
    void saveReport();
    void calibrate();
    void uploadGlintmark();
    void previewGlintmark();
    void updateSoftware();
    void updateCapability();
    void updateFromFile(bool software);
    void writeSettings();

    PrinterExchangeRunner* runner;
    std::function<PrinterChoice()> chosenPrinter;
    UsbPrinterOpener usbOpener;
    QTimer* refreshTimer;

    QLabel* printerLabel;
    QLabel* modelLabel;
    QLabel* serialLabel;
    QLabel* firmwareLabel;
    QLabel* positionLabel;
    QLabel* errorLabel;
    QLabel* hopperLabel;
    QLabel* resultLabel;
    QLabel* glintmarkLabel;
    QComboBox* moveBox;
    QComboBox* forceBox;
    QComboBox* powerBox;
    QComboBox* storeBox;
    QSpinBox* slotBox;
    QTableWidget* settingsTable;
    std::vector<QPushButton*> actionButtons;
    // Nothing shown yet of the chosen printer: the next free moment on a shown page asks it.
    bool stale = true;
};
