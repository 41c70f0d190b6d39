// BatchPage: the data file of a batch as a table, the key column first, each row marked ok or
// with its problems; a filter to the rows with problems; the selected row drawn front and back.
//
// Print sends the rows to a printer or a pool through kalyxprn batch and its journal (beside the
// data file, as the command keeps it), so that the window and the command line resume each
// other's batches; the page follows the run (progress, each printer, each row) and offers to
// resume a batch the journal shows unfinished (BatchPagePrint.cpp).
#pragma once

#include "BatchJournalState.h"
#include "PrinterChoice.h"

#include <carddesign/CardTemplate.h>

#include <QElapsedTimer>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <map>
#include <vector>

class BatchPrintRun;
class DesignDocument;
class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QVBoxLayout;

class BatchPage : public QWidget {
    Q_OBJECT

public:
    BatchPage(DesignDocument* document, QWidget* parent = nullptr);
    // A batch still printing stops after its cards in flight (BatchPrintRun).
    ~BatchPage() override;

    // Reads the data file; false with the reason shown on the page and returned.
    bool openData(const QString& path, QString* error = nullptr);
    const QString& dataPath() const { return path; }
    int rowCount() const { return int(records.size()); }
    // The problems of data row `row` (0-based); empty when it prints.
    QStringList rowProblems(int row) const { return problems.at(std::size_t(row)); }
    QTableWidget* table() const { return table_; }
    // The preview of the selected row: its sides, or their K planes alone.
    const QLabel* previewLabel(int side) const { return preview[side]; }
    void setKPlaneOnly(bool on);
    // Writes the jobs of the selected rows (all rows unless several are selected) into `folder`,
    // through kalyxprn batch -o; outputWritten tells the outcome.
    void exportJobsTo(const QString& folder);

    // The window's printers and the one chosen beside Print, offered when a batch prints.
    void setPrinters(std::function<std::vector<PrinterChoice>()> list,
                     std::function<PrinterChoice()> chosen);
    // Prints the selected rows (all rows unless several are selected) to `pool` without asking
    // where; false, with the reason shown, when it cannot start.
    bool printTo(const std::vector<PrinterChoice>& pool);
    bool printing() const;
    // Before the design goes: a batch printing is stopped after its cards in flight if the user
    // agrees; true when nothing prints any more.
    bool maybeStopPrinting();
    QString journalPath() const;
    // What the page shows of data row `row`'s printing (empty: nothing yet).
    QString printState(int row) const { return printStates.at(std::size_t(row)); }

signals:
    // The row the design is shown with (a null record when none).
    void rowChanged(const CardTemplateContext& context, const QString& dataFolder);
    void outputWritten(bool ok, const QString& message);
    // A print run ended with kalyxprn's exit status; the journal is read again after it.
    void printEnded(int status);
    // The journal's state was read and shown (also when there is none).
    void journalShown();

private:
    void chooseData();
    void checkRows();
    void fillTable();
    void applyFilter();
    void showRow();
    bool designSaved();
    QString selectedRows() const;
    void runCommand(const QStringList& args, const QString& what);
    void writeProof();
    void exportJobs();

    // Printing (BatchPagePrint.cpp).
    enum class PrintPhase { Idle, Printing, Pausing, Paused, Cancelling };
    struct PrinterCount {
        int printed = 0;
        QString doing; // empty: idle
        QString gone;  // why it left the pool
    };
    QWidget* buildPrintBar();
    void choosePrinters();
    void startPrint(const QStringList& destinations, const QString& rows,
                    const QStringList& confirms, bool allowChanged = false);
    void pauseOrResume();
    void cancelPrint();
    // Asks the run to stop after the cards in flight, entering `next` (Pausing or Cancelling).
    void stopAfterCardsInFlight(PrintPhase next, const QString& text);
    void resumePrint();
    void printBegun(int total, const QStringList& names);
    void cardStep(const QString& step, int row, const QString& key, const QString& printer,
                  const QString& reason);
    void printerGone(const QString& printer, const QString& reason);
    void printFinished(int status, const QString& said);
    void readJournal();
    void showJournal(const BatchJournalState& state, const QString& error);
    bool askUncertain(QStringList& confirms);
    void recordAnswers(const QStringList& confirms);
    int tableRowOf(int row, const QString& key) const;
    void setPrintState(int index, const QString& text, const QString& tip = QString(),
                       bool problem = false);
    void updateProgress();
    void updatePrintControls();
    int printableRows() const;

    DesignDocument* document;
    QString path;
    QString folder;
    CardColumns columns;
    std::vector<CardRecord> records; // their `columns` point at the member above
    std::vector<QStringList> readProblems;
    std::vector<QStringList> problems;
    QString date;

    QLabel* fileLabel;
    QLabel* summary;
    QCheckBox* onlyProblems;
    QPushButton* proofButton;
    QPushButton* exportButton;
    QTableWidget* table_;
    QLabel* preview[2];
    QCheckBox* kPlaneOnly;

    std::function<std::vector<PrinterChoice>()> printerList;
    std::function<PrinterChoice()> chosenPrinter;
    BatchPrintRun* run;
    PrintPhase phase = PrintPhase::Idle;
    QStringList runDestinations; // of the run in hand, or the last one of this session
    QString runRows;
    QStringList runConfirms;
    bool changeAccepted = false; // the user let this session's runs go on with changed files
    BatchJournalState journal;
    bool askAfterRun = false;         // uncertain rows found after a run are asked about at once
    bool resumeOffered = false;       // the journal shows an unfinished batch
    bool closing = false;             // the window waits for the cards in flight to close
    QHash<QString, int> indexOfKey;   // a record's index by its key
    QHash<int, int> indexOfRow;       // by its data row number
    std::vector<QString> printStates; // per record, the Printing column's text
    std::vector<QString> printTips;
    std::vector<bool> printProblems;       // failed or may have printed: shown in red
    std::map<QString, QString> finalSteps; // per key, the last step of this run that ends a card
    std::map<QString, PrinterCount> printerCounts;
    QStringList printerOrder;
    int total = 0;
    int printedThisRun = 0;
    QElapsedTimer clock;

    QPushButton* printButton;
    QPushButton* pauseButton;
    QPushButton* cancelButton;
    QPushButton* resumeButton;
    QProgressBar* progress;
    QLabel* progressLabel;
    QLabel* printersLabel;
    QLabel* journalLabel;
};
