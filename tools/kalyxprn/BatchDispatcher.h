// A pool of destinations printing the cards of a batch: each card goes to the next free
// destination, one card at a time per destination, with every step recorded in the journal
// before it is taken. A destination that fails leaves the pool; a card of it that never went
// out goes to another one.
#pragma once

#include "BatchCards.h"
#include "BatchDestination.h"
#include "BatchPrintProgress.h"

#include <BatchJournal.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace cli {

struct BatchOutcomes {
    std::vector<BatchCard> printed; // without their jobs
    std::vector<std::pair<BatchCard, QString>> failed;
    std::vector<std::pair<BatchCard, QString>> uncertain;
    QStringList brokenPrinters; // "NAME: REASON"
    QString journalProblem;     // the journal could not record a step: the batch stopped
};

class BatchDispatcher {
public:
    // `titlePrefix` names each job ("DESIGN: " + key). Stops taking cards once `interrupted`.
    BatchDispatcher(carddesign::BatchJournal& journal,
                    std::vector<std::unique_ptr<CardDestination>> pool, QString titlePrefix,
                    BatchPrintProgress& progress, const std::atomic<bool>& interrupted);
    ~BatchDispatcher();

    // Hands `card` to the pool, waiting while every destination is busy. False when the batch
    // must stop: no destination left, the journal failed, or an interruption.
    bool submit(BatchCard card);
    // Waits until every card handed over has finished, and returns what happened.
    BatchOutcomes finish();
    // Cards handed over that no destination took (the pool broke off or the batch stopped).
    int notSent() const { return int(waiting_.size()); }

private:
    void work(int index);
    bool mayGoOn() const; // with mutex_ held
    void deliver(int index, BatchCard& card);

    carddesign::BatchJournal& journal_;
    std::vector<std::unique_ptr<CardDestination>> pool_;
    QString titlePrefix_;
    BatchPrintProgress& progress_;
    const std::atomic<bool>& interrupted_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<BatchCard> waiting_;
    int live_ = 0;
    int idle_ = 0;
    bool noMore_ = false;
    BatchOutcomes outcomes_;
    std::vector<std::thread> workers_;
};

} // namespace cli
