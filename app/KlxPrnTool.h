// KlxPrnTool: the program's single window. Opens a PRN job, shows its sides, magnetic tracks
// and options, lets the options be edited, and saves or prints the job.
//
// The widgets come from KlxPrnTool.ui; the private slots are bound by object name
// (on_<object>_<signal>), so renaming a widget in the form silently unbinds its slot.
#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "PrinterChoice.h"
#include "PrinterConnection.h"

#include <functional>
#include <memory>
#include <string>

class DesignView;
class KlxPrnHolder;
class PrinterExchangeRunner;
class PrinterPage;
class QImage;
class QTreeWidgetItem;

namespace Orvane {
class Comms;
class Printer;
} // namespace Orvane

namespace Ui {
class KlxPrnTool;
}

class KlxPrnTool : public QWidget {
    Q_OBJECT

public:
    explicit KlxPrnTool(QWidget* parent = nullptr);
    ~KlxPrnTool() override;

    // For tests only: opens the printer a print goes to in place of the library's USB factory,
    // so a test can give a stalled printer less than the 30 s a real print waits.
    using PrinterOpener =
        std::function<std::unique_ptr<Orvane::Printer>(const std::string& devicePath)>;
    void setPrinterOpener(PrinterOpener opener);

    // Exchanges with printers still running, for a caller that must not outlive them.
    bool exchangeRunning() const;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private slots:
    void on_openPushButton_clicked();
    void on_printPushButton_clicked();
    void on_savePushButton_clicked();
    void on_prn_tree_widget_itemActivated(QTreeWidgetItem* item, int column);
    void on_check_box_y1_toggled();
    void on_check_box_m1_toggled();
    void on_check_box_c1_toggled();
    void on_check_box_k1_toggled();
    void on_check_box_y2_toggled();
    void on_check_box_m2_toggled();
    void on_check_box_c2_toggled();
    void on_check_box_k2_toggled();
    void on_export1PushButton_clicked();
    void on_export2PushButton_clicked();
    void on_iso_button_clicked();
    void on_jis_button_clicked();
    void on_aboutPushButton_clicked();
    void on_printerComboBox_activated(int index);
    void on_cancelPushButton_clicked();

private:
    // Opening and the two window states.
    bool checkFileExists(const QString& path);
    bool loadPrnFile(const QString& path);
    void openPrn(const QString& path);
    // Card designs open in a view of their own in place of the job's pages (KlxPrnToolDesign).
    void openDesign(const QString& path, const QString& dataPath = QString());
    bool closeDesign();
    void setPlaneBoxes();
    void resetView();
    void clearTree();
    void showError(const QString& text);
    // Every control's enabled state from the window's state: job, print, exchange.
    void updateActions();
    void showStatus(const QString& text);

    // The printer chooser (KlxPrnToolPrinters.cpp).
    void setUpPrinters();
    void lookForPrinters();
    void fillPrinterChooser(const std::vector<PrinterChoice>& found);
    PrinterChoice chosenPrinter() const;
    void addNetworkPrinter();
    QString noPrinterHint() const;

    // Options tree.
    void buildOptionsTree();
    void addSideRows(QTreeWidgetItem* cardRow, int side);
    void addMagRows(QTreeWidgetItem* cardRow);
    QTreeWidgetItem* addTreeRow(QTreeWidgetItem* parent, const QString& name, const QString& value);
    QTreeWidgetItem* addReadOnlyRow(QTreeWidgetItem* parent, const QString& parentPath,
                                    const QString& name, const QString& defaultValue);
    QTreeWidgetItem* addReadOnlyRow(QTreeWidgetItem* parent, const QString& parentPath,
                                    const QString& name, int defaultValue);
    QTreeWidgetItem* addOptionRow(QTreeWidgetItem* parent, const QString& parentPath,
                                  const QString& name, const QString& defaultValue,
                                  const QString& editType, int minimum, int maximum);
    QTreeWidgetItem* addEditableRow(QTreeWidgetItem* parent, const QString& name,
                                    const QString& parentPath, const QString& value,
                                    const QString& editType, int minimum, int maximum);
    // What an editable row keeps in its hidden columns; rows of one option share these texts.
    struct KlxEditTexts {
        QString type, minimum, maximum;
    };
    QTreeWidgetItem* addEditableRow(QTreeWidgetItem* parent, const QString& name,
                                    const QString& parentPath, const QString& value,
                                    const KlxEditTexts& edit);
    void addRegionRows(QTreeWidgetItem* parent, int side, char panel, const QString& kind);
    // The rows of every option the option table lists for `group` (and `panel`), in its order.
    void addTableRows(QTreeWidgetItem* parent, const QString& parentPath, const char* group,
                      char panel = 0);

    // Field editing.
    void editWithNumber(QTreeWidgetItem* item, qint64 value, qint64 minimum, qint64 maximum,
                        bool isSigned);
    void editWithList(QTreeWidgetItem* item, const QStringList& choices);
    void writeEditedValue(QTreeWidgetItem* item, const QString& value);

    // Side tabs, magnetic tab.
    void refreshImages();
    void exportImage(const QImage& image);
    void fillMagTab();

    Ui::KlxPrnTool* ui;
    QSettings settings;
    QString fileDialogDirName;
    std::unique_ptr<KlxPrnHolder> prnHolder;
    std::unique_ptr<Orvane::Comms> comms;
    PrinterOpener printerOpener;
    PrinterExchangeRunner* exchanges;
    PrinterPage* printerPage;
    // The chooser's printers; its items hold their keys.
    std::vector<PrinterChoice> printerChoices;
    bool printing = false;
    bool prnLoaded;
    QString baseWindowTitle;
    DesignView* designView = nullptr;
};
