#pragma once

#include "platform/Transfer.h"

#include <kalyxcomms/FailureReason.h>
#include <kalyxcomms/Session.h>

namespace Orvane {

// A transport of the library's own, which keeps why its last read or write failed. Sessions
// from outside the library cannot say; the printer gives their failures a general reason.
class ReportingSession : public Session {
public:
    // Set by every read or write that returns false; meaningless after one that succeeded.
    FailureReason lastTransferFailure() const { return failure; }

protected:
    // Each returns false, for `return fail...(...)`.
    bool fail(FailureReason why) {
        failure = why;
        return false;
    }
    bool failRead(platform::TransferStatus status) {
        return fail(status == platform::TransferStatus::TimedOut ? FailureReason::ReadTimedOut
                    : status == platform::TransferStatus::Closed ? FailureReason::ConnectionClosed
                                                                 : FailureReason::ReadFailed);
    }
    bool failWrite(platform::TransferStatus status) {
        return fail(status == platform::TransferStatus::TimedOut ? FailureReason::WriteTimedOut
                    : status == platform::TransferStatus::Closed ? FailureReason::ConnectionClosed
                                                                 : FailureReason::WriteFailed);
    }
    // The checks every transport makes before a transfer: true when it may go ahead.
    bool mayTransfer(const void* data, int length) {
        if (!open)
            return fail(FailureReason::NotConnected);
        if (length < 0 || (!data && length > 0))
            return fail(FailureReason::BadArgument);
        return true;
    }

private:
    FailureReason failure = FailureReason::None;
};

} // namespace Orvane
