#pragma once

#include "platform/TcpSocket.h"

#include <kalyxcomms/Comms.h>
#include <kalyxcomms/Printer.h>
#include <kalyxcomms/Session.h>

#include <memory>

namespace Orvane {

// Its presence marks a live Comms, which keeps the system's socket layer started. The factories
// share adopt().
class CommsImpl {
public:
    static bool isLive(const Comms& comms) { return comms.impl != nullptr; }

    // The last step of every factory: a printer for an open transport of a live Comms, otherwise
    // the transport is destroyed (which closes it) and the result is empty.
    static std::unique_ptr<Printer> adopt(const Comms& comms, std::unique_ptr<Session> transport) {
        if (!isLive(comms) || !transport || !transport->isOpen())
            return nullptr;
        return std::make_unique<Printer>(std::move(transport));
    }

private:
    platform::SocketLayer sockets;
};

} // namespace Orvane
