#pragma once

#include "platform/CancelSignal.h"
#include "platform/Transfer.h"

#include <kalyxcomms/FailureReason.h>
#include <kalyxcomms/Session.h>

#include <chrono>
#include <cstdint>
#include <memory>

namespace Orvane {

// A transport of the library's own, which keeps why its last read or write failed and how far
// its last write got, honours an overall deadline for reads, and can end a conversation in a
// way that says whether the printer took everything. Sessions from outside the library cannot
// do these; the printer gives their failures a general reason.
class ReportingSession : public Session {
public:
    using Clock = std::chrono::steady_clock;

    // Set by every read or write that returns false; meaningless after one that succeeded.
    FailureReason lastTransferFailure() const { return failure; }
    // Bytes of the last write that the other end took: all of them after a success.
    std::uint64_t lastWriteCount() const { return written; }

    // No read waits beyond `deadline` (one that would fails as timed out); max() lifts it.
    void setReadDeadline(Clock::time_point deadline) { readDeadline = deadline; }

    // After a failed exchange the printer has nothing more to say that we want: closing then
    // skips every wait. A later exchange that succeeds clears it again.
    void setConversationBroken(bool broken) { conversationBroken = broken; }

    // The printer answered the last request in full, so it has read everything it was sent:
    // closing need not wait for its own close. The next write clears it.
    void setAnswered() { answered = true; }

    // Ends the transport as a finished job should: true when the other end took every byte
    // written; false with the reason kept otherwise. The transport is closed afterwards.
    virtual bool finish() {
        open = false;
        return true;
    }

    // Raised from any thread (Printer::abort), it ends the transfer in hand at once and fails
    // every later one with Cancelled; closing then skips every wait. Shared, so that whoever
    // raises it need not outlive the transport, nor the transport them.
    const std::shared_ptr<platform::CancelSignal>& cancelSignal() const { return cancel; }

protected:
    bool cancelled() const { return cancel->raised(); }

    // Each returns false, for `return fail...(...)`. A transfer that a cancel broke off fails as
    // cancelled, whatever the system said about it.
    bool fail(FailureReason why) {
        failure = why;
        return false;
    }
    bool failRead(platform::TransferStatus status) {
        if (status == platform::TransferStatus::Cancelled || cancelled())
            return fail(FailureReason::Cancelled);
        return fail(status == platform::TransferStatus::TimedOut ? FailureReason::ReadTimedOut
                    : status == platform::TransferStatus::Closed ? FailureReason::ConnectionClosed
                                                                 : FailureReason::ReadFailed);
    }
    bool failWrite(platform::TransferStatus status) {
        if (status == platform::TransferStatus::Cancelled || cancelled())
            return fail(FailureReason::Cancelled);
        return fail(status == platform::TransferStatus::TimedOut ? FailureReason::WriteTimedOut
                    : status == platform::TransferStatus::Closed ? FailureReason::ConnectionClosed
                                                                 : FailureReason::WriteFailed);
    }
    // The checks every transport makes before a transfer: true when it may go ahead.
    bool mayTransfer(const void* data, int length) {
        if (cancelled())
            return fail(FailureReason::Cancelled);
        if (!open)
            return fail(FailureReason::NotConnected);
        if (length < 0 || (!data && length > 0))
            return fail(FailureReason::BadArgument);
        return true;
    }

    // How long the next device or socket read may wait: the read time-out, or less when the
    // deadline is nearer. False when the deadline has passed (the failure is then kept).
    bool readWait(std::uint32_t readTimeoutMs, std::uint32_t& waitMs) {
        waitMs = readTimeoutMs;
        if (readDeadline == Clock::time_point::max())
            return true;
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(readDeadline - Clock::now()).count();
        if (left <= 0)
            return fail(FailureReason::ReadTimedOut);
        if (readTimeoutMs == 0 || static_cast<std::uint64_t>(left) < readTimeoutMs)
            waitMs = static_cast<std::uint32_t>(left);
        return true;
    }

    bool broken() const { return conversationBroken; }
    bool answered = false;

    std::uint64_t written = 0;

private:
    FailureReason failure = FailureReason::None;
    const std::shared_ptr<platform::CancelSignal> cancel =
        std::make_shared<platform::CancelSignal>();
    Clock::time_point readDeadline = Clock::time_point::max();
    bool conversationBroken = false;
};

} // namespace Orvane
