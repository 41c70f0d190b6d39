// Cards straight to a printer over TCP or USB: one connection per card, as `send` makes, so that
// the close tells whether the printer kept every byte.
#include "BatchDestination.h"
#include "HostSystem.h"
#include "PrinterTarget.h"

#include <kalyxcomms/Comms.h>

namespace cli {

namespace {

class PrinterDestination : public CardDestination {
public:
    PrinterDestination(QString name, std::string host, unsigned port, bool usb)
        : name_(std::move(name)), host_(std::move(host)), port_(port), usb_(usb) {}

    QString name() const override { return name_; }

    Delivery deliver(const QByteArray& job, const QString&,
                     const std::function<bool(const QJsonObject&)>& taken,
                     const std::atomic<bool>&) override {
        Delivery delivery;
        delivery.destinationBroken = true;
        std::unique_ptr<Orvane::Printer> printer =
            usb_ ? comms_.getUsbPrinter(host_)
                 : comms_.getEthernetPrinter(host_, static_cast<Orvane::Port>(port_));
        if (!printer) {
            delivery.reason =
                usb_ ? QStringLiteral("cannot open %1: %2")
                           .arg(name_, QString::fromStdString(deviceProblem(host_)))
                     : QStringLiteral("cannot connect (refused, or no answer within %1)")
                           .arg(durationWords(defaultWriteTimeoutMs));
            return delivery; // Failed: no byte left
        }
        const bool written = printer->write(job.constData(), job.size());
        const qint64 bytesTaken = written ? job.size() : qint64(printer->bytesWritten());
        // Written is not kept: the printer may still reset the connection over the job.
        if (written && printer->close()) {
            delivery.outcome = Delivery::Sent;
            delivery.destinationBroken = false;
            delivery.details.insert(QStringLiteral("bytes"), job.size());
            taken(delivery.details);
            return delivery;
        }
        const QString why = failureWords(printer->lastFailure(), Waits{}, usb_);
        if (bytesTaken == 0) {
            delivery.reason = why + QStringLiteral(" before taking any byte");
            return delivery;
        }
        delivery.outcome = Delivery::Uncertain;
        delivery.reason = written ? why + QStringLiteral(" after every byte was written")
                                  : why + QStringLiteral(" after taking %1 of %2 bytes")
                                              .arg(bytesTaken)
                                              .arg(job.size());
        return delivery;
    }

private:
    Orvane::Comms comms_;
    QString name_;
    std::string host_;
    unsigned port_;
    bool usb_;
};

} // namespace

std::unique_ptr<CardDestination> tcpDestination(const std::string& host, unsigned port) {
    return std::make_unique<PrinterDestination>(
        QStringLiteral("%1:%2").arg(QString::fromStdString(host)).arg(port), host, port, false);
}

std::unique_ptr<CardDestination> usbDestination(const QString& devicePath) {
    return std::make_unique<PrinterDestination>(devicePath, devicePath.toStdString(), 0, true);
}

} // namespace cli
