#include "BatchDispatcher.h"

namespace cli {

namespace event = carddesign::journalEvent;

namespace {

// An interruption arrives as a flag set by a signal handler, which cannot wake a waiting thread:
// waits look at it this often.
constexpr auto interruptCheck = std::chrono::milliseconds(100);

template <typename Done>
void waitUntil(std::condition_variable& changed, std::unique_lock<std::mutex>& lock, Done done) {
    while (!done())
        changed.wait_for(lock, interruptCheck);
}

} // namespace

BatchDispatcher::BatchDispatcher(carddesign::BatchJournal& journal,
                                 std::vector<std::unique_ptr<CardDestination>> pool,
                                 QString titlePrefix, BatchPrintProgress& progress,
                                 const std::atomic<bool>& interrupted)
    : journal_(journal), pool_(std::move(pool)), titlePrefix_(std::move(titlePrefix)),
      progress_(progress), interrupted_(interrupted) {
    live_ = int(pool_.size());
    for (int i = 0; i < int(pool_.size()); ++i)
        workers_.emplace_back([this, i] { work(i); });
}

BatchDispatcher::~BatchDispatcher() {
    finish();
}

bool BatchDispatcher::mayGoOn() const {
    return live_ > 0 && outcomes_.journalProblem.isEmpty() && !interrupted_;
}

bool BatchDispatcher::submit(BatchCard card) {
    std::unique_lock<std::mutex> lock(mutex_);
    // One card waits ready for each idle destination: the next is drawn while they print.
    waitUntil(changed_, lock,
              [&] { return !mayGoOn() || int(waiting_.size()) < std::max(1, idle_); });
    if (!mayGoOn())
        return false;
    waiting_.push_back(std::move(card));
    changed_.notify_all();
    return true;
}

BatchOutcomes BatchDispatcher::finish() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        noMore_ = true;
    }
    changed_.notify_all();
    for (std::thread& worker : workers_)
        if (worker.joinable())
            worker.join();
    return outcomes_;
}

void BatchDispatcher::work(int index) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        ++idle_;
        changed_.notify_all();
        waitUntil(changed_, lock, [&] { return !waiting_.empty() || noMore_ || !mayGoOn(); });
        --idle_;
        if (waiting_.empty() || !mayGoOn())
            break;
        BatchCard card = std::move(waiting_.front());
        waiting_.pop_front();
        lock.unlock();
        deliver(index, card);
        lock.lock();
        if (!pool_[std::size_t(index)])
            break; // this destination left the pool
    }
    changed_.notify_all();
}

void BatchDispatcher::deliver(int index, BatchCard& card) {
    CardDestination& destination = *pool_[std::size_t(index)];
    const QString printer = destination.name();
    QString problem;
    const QJsonObject where{{QStringLiteral("printer"), printer}};
    const auto journalFailed = [&] {
        std::lock_guard<std::mutex> lock(mutex_);
        outcomes_.journalProblem = problem;
        changed_.notify_all();
    };
    // Nothing leaves for a printer before the journal says so on the disk.
    if (!journal_.recordRow(event::sending, card.key, card.row, where, problem)) {
        std::lock_guard<std::mutex> lock(mutex_);
        outcomes_.journalProblem = problem;
        waiting_.push_front(std::move(card));
        changed_.notify_all();
        return;
    }
    progress_.started(index, card);
    const auto taken = [&](const QJsonObject& details) {
        QJsonObject entry = details;
        entry.insert(QStringLiteral("printer"), printer);
        if (journal_.recordRow(event::sent, card.key, card.row, entry, problem))
            return true;
        journalFailed();
        return false;
    };
    const Delivery delivery =
        destination.deliver(card.job, titlePrefix_ + card.key, taken, interrupted_);

    QJsonObject entry = delivery.details;
    entry.insert(QStringLiteral("printer"), printer);
    const char* last = nullptr;
    switch (delivery.outcome) {
    case Delivery::Sent:
        break;
    case Delivery::Completed:
        last = event::completed;
        break;
    case Delivery::Failed:
        last = event::failed;
        break;
    case Delivery::Uncertain:
        last = event::uncertain;
        break;
    }
    if (last) {
        entry.insert(QStringLiteral("reason"), delivery.reason);
        if (!journal_.recordRow(last, card.key, card.row, entry, problem))
            journalFailed();
    }
    const bool printed =
        delivery.outcome == Delivery::Sent || delivery.outcome == Delivery::Completed;

    std::lock_guard<std::mutex> lock(mutex_);
    // A card that never went out because its printer broke goes to another printer.
    const bool again =
        delivery.outcome == Delivery::Failed && delivery.destinationBroken && live_ > 1;
    progress_.finished(index, card, QString::fromLatin1(last ? last : event::sent),
                       delivery.outcome == Delivery::Failed ||
                               delivery.outcome == Delivery::Uncertain
                           ? delivery.reason
                           : QString(),
                       printed, again);
    if (again) {
        waiting_.push_front(std::move(card)); // with its job, for the next printer
    } else {
        card.job.clear();
        if (printed)
            outcomes_.printed.push_back(card);
        else if (delivery.outcome == Delivery::Failed)
            outcomes_.failed.emplace_back(card, delivery.reason);
        else
            outcomes_.uncertain.emplace_back(card, delivery.reason);
    }
    if (delivery.destinationBroken) {
        outcomes_.brokenPrinters << QStringLiteral("%1: %2").arg(printer, delivery.reason);
        --live_;
        progress_.printerLeft(index, delivery.reason);
        pool_[std::size_t(index)].reset();
    }
    changed_.notify_all();
}

} // namespace cli
