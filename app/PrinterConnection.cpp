#include "PrinterConnection.h"

#include <kalyxcomms/Comms.h>
#include <kalyxcomms/Printer.h>

#include <QCoreApplication>

#include <algorithm>
#include <vector>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#endif

namespace {

// The library takes dotted IPv4 only. Called with a Comms alive, so the socket layer is ready
// on every system.
bool toDottedIPv4(const std::string& name, std::string& dotted) {
    in_addr parsed{};
    if (::inet_pton(AF_INET, name.c_str(), &parsed) == 1) {
        dotted = name;
        return true;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || !found)
        return false;
    char text[INET_ADDRSTRLEN] = {};
    const auto* in = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    ::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
    ::freeaddrinfo(found);
    dotted = text;
    return true;
}

} // namespace

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
            toDottedIPv4(address.host.toStdString(), dotted))
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
