// Where the cards of a batch go: a printer on TCP or USB, or a CUPS queue. Each destination
// takes one card at a time; a pool holds several.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace cli {

struct Delivery {
    enum Outcome {
        Sent,      // every byte was taken
        Completed, // a queue's job reached its end state
        Failed,    // nothing went out: the card may go to another printer
        Uncertain, // some or all bytes went out but the outcome is not known
    };
    Outcome outcome = Failed;
    QString reason;
    bool destinationBroken = false; // the destination leaves the pool
    QJsonObject details;            // for the journal's last line (job id, bytes)
};

class CardDestination {
public:
    virtual ~CardDestination() = default;
    virtual QString name() const = 0;
    // Delivers `job` named `title`. `taken` is called once every byte was taken (and only then),
    // before a queue follows its job; false from it (the journal could not record that) ends
    // the following.
    // `stop` asks a delivery that waits (a queue's job) to give up waiting.
    virtual Delivery deliver(const QByteArray& job, const QString& title,
                             const std::function<bool(const QJsonObject&)>& taken,
                             const std::atomic<bool>& stop) = 0;
};

// A printer on TCP ("HOST:PORT" resolved already) or on a USB device node.
std::unique_ptr<CardDestination> tcpDestination(const std::string& host, unsigned port);
std::unique_ptr<CardDestination> usbDestination(const QString& devicePath);

// How many cards a queue takes at once (one per member of a class), or 0 with `problem` when
// the scheduler or the queue cannot be reached. `server` is "HOST[:PORT]" or a socket path;
// empty takes CUPS_SERVER or the system's default.
int queueSlots(const QString& server, const QString& queue, QString& problem);
// One sender of jobs to the queue; a pool holds queueSlots() of them.
std::unique_ptr<CardDestination> queueDestination(const QString& server, const QString& queue);
// The build can print through a queue.
bool queuesAvailable();

} // namespace cli
