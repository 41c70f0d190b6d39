#include "PrinterExchangeRunner.h"

#include <kalyxcomms/Printer.h>

#include <QEventLoop>
#include <QThread>

#include <mutex>

struct PrinterExchangeRunner::Exchange {
    Work work;
    std::atomic<int> progress{-1};
    std::function<void()> done;
    std::atomic<bool> cancelled{false};
    QThread* thread = nullptr;
    // The printer the work uses now, which Cancel aborts; guarded, as it comes and goes on the
    // worker thread.
    std::mutex printerGuard;
    Orvane::Printer* printer = nullptr;
};

namespace {
std::atomic<int> liveThreads{0};
// The exchange whose work runs on this thread.
thread_local PrinterExchangeRunner::Exchange* currentExchange = nullptr;
} // namespace

PrinterExchangeRunner::AbortOnCancel::AbortOnCancel(Orvane::Printer& printer)
    : exchange(currentExchange) {
    if (!exchange)
        return;
    const std::lock_guard<std::mutex> lock(exchange->printerGuard);
    exchange->printer = &printer;
    if (exchange->cancelled)
        printer.abort();
}

PrinterExchangeRunner::AbortOnCancel::~AbortOnCancel() {
    if (!exchange)
        return;
    const std::lock_guard<std::mutex> lock(exchange->printerGuard);
    exchange->printer = nullptr;
}

PrinterExchangeRunner::PrinterExchangeRunner(QObject* parent)
    : QObject(parent), progressTimer(new QTimer(this)) {
    progressTimer->setInterval(100);
    connect(progressTimer, &QTimer::timeout, this, &PrinterExchangeRunner::pollProgress);
}

PrinterExchangeRunner::~PrinterExchangeRunner() {
    // Whoever listened may be half destroyed by now.
    blockSignals(true);
    cancel();
}

bool PrinterExchangeRunner::start(const QString& what, Work work, std::function<void()> done) {
    if (running)
        return false;
    auto exchange = std::make_shared<Exchange>();
    exchange->work = std::move(work);
    exchange->done = std::move(done);
    running = exchange;
    runningWhat = what;

    ++liveThreads;
    exchange->thread = QThread::create([exchange] {
        currentExchange = exchange.get();
        exchange->work(exchange->progress);
        currentExchange = nullptr;
        --liveThreads;
    });
    // The thread object deletes itself, also when the exchange was abandoned and this runner is
    // gone; a finished exchange reports through the runner's own thread.
    connect(exchange->thread, &QThread::finished, exchange->thread, &QObject::deleteLater);
    connect(exchange->thread, &QThread::finished, this, [this, exchange] { finish(exchange); });
    emit busyChanged(true);
    shownProgress = -1;
    emit progressed(-1);
    progressTimer->start();
    exchange->thread->start();
    return true;
}

void PrinterExchangeRunner::finish(const std::shared_ptr<Exchange>& exchange) {
    if (exchange->cancelled || running != exchange)
        return;
    pollProgress();
    progressTimer->stop();
    running.reset();
    runningWhat.clear();
    // Told before `done`, which may start the next exchange.
    emit busyChanged(false);
    if (exchange->done)
        exchange->done();
}

void PrinterExchangeRunner::cancel() {
    if (!running)
        return;
    running->cancelled = true;
    {
        // Its transfer gives up within moments, and its connection closes.
        const std::lock_guard<std::mutex> lock(running->printerGuard);
        if (running->printer)
            running->printer->abort();
    }
    // The thread keeps the exchange alive until then; nothing of it reaches this runner again.
    disconnect(running->thread, nullptr, this, nullptr);
    progressTimer->stop();
    running.reset();
    runningWhat.clear();
    emit busyChanged(false);
}

void PrinterExchangeRunner::waitExcludingInput() {
    if (!running)
        return;
    QEventLoop loop;
    connect(this, &PrinterExchangeRunner::busyChanged, &loop, [&loop](bool busy) {
        if (!busy)
            loop.quit();
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void PrinterExchangeRunner::pollProgress() {
    if (!running || running->progress == shownProgress)
        return;
    shownProgress = running->progress;
    emit progressed(shownProgress);
}

int PrinterExchangeRunner::threadsStillRunning() {
    return liveThreads;
}
