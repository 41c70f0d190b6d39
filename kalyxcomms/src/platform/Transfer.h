#pragma once

#include <cstddef>

namespace Orvane {
namespace platform {

// How one system transfer (a device read or write, a socket send or receive) ended. The
// transports turn the failures into the reasons a Printer reports.
enum class TransferStatus {
    Done,
    // The time-out expired first.
    TimedOut,
    // The other end closed or reset the connection, or the device went away.
    Closed,
    // Any other error of the system.
    Failed,
    // The transport's CancelSignal was raised.
    Cancelled,
};

// The outcome of one transfer. A transfer that did not finish may still have moved `count` bytes.
struct Transfer {
    TransferStatus status = TransferStatus::Failed;
    std::size_t count = 0;

    bool ok() const { return status == TransferStatus::Done; }
};

} // namespace platform
} // namespace Orvane
