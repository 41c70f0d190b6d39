// One run of `kalyxprn batch` printing to printers, watched from the window: the command keeps
// the journal and prints each card once; the window follows its JSON progress lines and stops it
// through its standard input (the card in flight finishes), alike on every system. A run that
// outlives the window stops after its card in flight when the window's end closes its input.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QProcess;

class BatchPrintRun : public QObject {
    Q_OBJECT

public:
    explicit BatchPrintRun(QObject* parent = nullptr);
    // Asks a run still going to stop and waits for its card in flight (bounded).
    ~BatchPrintRun() override;

    // Starts `kalyxprn batch DESIGN DATA ARGS...` with progress and stop through its input.
    void start(const QString& design, const QString& data, const QStringList& args);
    // Asks the run to stop after the cards in flight; ended() follows.
    void stop();
    bool running() const;

signals:
    // The run began printing `total` cards (every selected row) to `printers`.
    void begun(int total, const QStringList& printers);
    // A card's step: sending, sent, completed, failed, retrying (failed before its first byte
    // on a printer that left the pool; another printer takes it), uncertain, skipped (printed
    // before) or refused (its row has problems). `printer` and `reason` where the step has them.
    void card(const QString& step, int row, const QString& key, const QString& printer,
              const QString& reason);
    void printerLeft(const QString& printer, const QString& reason);
    // The run is over: its exit status (-1 when it could not start or crashed) and what it said
    // on its error output.
    void ended(int status, const QString& said);

private:
    void readLines();

    QProcess* process = nullptr;
    QByteArray pending; // a line not yet complete
};
