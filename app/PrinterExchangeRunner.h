// Runs one exchange with a printer at a time on a thread of its own, so a printer that does not
// answer never stops the window. Each exchange opens its own Orvane::Printer and closes it at its
// end. Cancel abandons the exchange: the window is free at once, the printer the exchange holds
// is aborted, so its transfer gives up and the connection closes within moments, and the thread
// ends. (A connection still being made ends at its own time-out.)
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>

namespace Orvane {
class Printer;
} // namespace Orvane

class PrinterExchangeRunner : public QObject {
    Q_OBJECT

public:
    struct Exchange; // one exchange's state, shared with its thread

    // Made by an exchange's work on its thread around the use of a printer: while it lives,
    // Cancel aborts that printer; a printer it is given after Cancel is aborted at once. It must
    // go before the printer does.
    class AbortOnCancel {
    public:
        explicit AbortOnCancel(Orvane::Printer& printer);
        ~AbortOnCancel();
        AbortOnCancel(const AbortOnCancel&) = delete;
        AbortOnCancel& operator=(const AbortOnCancel&) = delete;

    private:
        Exchange* exchange;
    };

    explicit PrinterExchangeRunner(QObject* parent = nullptr);
    ~PrinterExchangeRunner() override;

    // `work` runs on the worker thread and must touch no widget; it may set `progress` (in
    // thousandths, -1 when it cannot tell). `done` runs on the GUI thread when it has ended,
    // unless the exchange was cancelled first. False while another runs.
    using Work = std::function<void(std::atomic<int>& progress)>;
    bool start(const QString& what, Work work, std::function<void()> done);
    bool busy() const { return running != nullptr; }
    QString what() const { return runningWhat; }
    // Abandons the running exchange; its `done` is never called.
    void cancel();
    // Runs the event loop without user input until the running exchange has ended: the window
    // repaints and its timers fire, but no click or key can start anything meanwhile.
    void waitExcludingInput();

    // Exchanges still running in this process, cancelled ones included.
    static int threadsStillRunning();

signals:
    void busyChanged(bool busy);
    void progressed(int permille);

private:
    void finish(const std::shared_ptr<Exchange>& exchange);

    void pollProgress();

    std::shared_ptr<Exchange> running;
    QTimer* progressTimer;
    int shownProgress = -1;
    QString runningWhat;
};
