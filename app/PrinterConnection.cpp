#include "PrinterConnection.h"

#include <HostAddress.h>

#include <kalyxcomms/Comms.h>
#include <kalyxcomms/Printer.h>

#include <QCoreApplication>

#include <algorithm>
#include <vector>

OpenedPrinter openChosenPrinter(const Orvane::Comms& comms, const PrinterChoice& choice,
                                const UsbPrinterOpener& openUsb) {
    OpenedPrinter opened;
    auto usb = [&](const std::string& devicePath) {
        return openUsb ? openUsb(comms, devicePath) : comms.getUsbPrinter(devicePath);
    };
    switch (choice.kind) {
    case PrinterChoice::Kind::FirstUsb: {
        const std::vector<Orvane::UsbPrinterInfo> infos = comms.getUsbPrinterInfos();
        if (!infos.empty()) {
            opened.printer = usb(infos.front().devicePath);
            opened.where = QCoreApplication::translate("PrinterConnection", "USB printer %1")
                               .arg(QString::fromStdString(infos.front().description));
        }
        break;
    }
    case PrinterChoice::Kind::Usb: {
        // Found again by description: the device node may have changed since it was chosen.
        for (const Orvane::UsbPrinterInfo& info : comms.getUsbPrinterInfos()) {
            if (QString::fromStdString(info.description) == choice.name) {
                opened.printer = usb(info.devicePath);
                break;
            }
        }
        opened.where =
            QCoreApplication::translate("PrinterConnection", "USB printer %1").arg(choice.name);
        break;
    }
    case PrinterChoice::Kind::Network: {
        NetworkAddress address;
        QString reason;
        std::string dotted;
        if (parseNetworkAddress(choice.name, address, reason) &&
            kalyxcheck::toDottedIPv4(address.host.toStdString(), dotted))
            opened.printer =
                comms.getEthernetPrinter(dotted, static_cast<Orvane::Port>(address.port));
        opened.where =
            QCoreApplication::translate("PrinterConnection", "network printer %1").arg(choice.name);
        break;
    }
    case PrinterChoice::Kind::Queue:
        break;
    }
    return opened;
}

bool writeJobInSlices(Orvane::Printer& printer, const QByteArray& job, std::atomic<int>& progress) {
    // Big enough to cost nothing per slice, small enough to move the bar on a slow printer.
    constexpr int slice = 256 * 1024;
    const int total = job.size();
    progress = 0;
    for (int done = 0; done < total;) {
        const int length = std::min(slice, total - done);
        if (!printer.write(job.constData() + done, length))
            return false;
        done += length;
        progress = int(qint64(done) * 1000 / std::max(1, total));
    }
    return total > 0 || printer.write(job.constData(), 0);
}
