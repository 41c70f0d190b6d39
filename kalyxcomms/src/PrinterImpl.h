#pragma once

#include "PrnMessage.h"

#include <kalyxcomms/FailureReason.h>
#include <kalyxcomms/Session.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace Orvane {

class ReportingSession;
namespace platform {
class CancelSignal;
}

class PrinterImpl {
public:
    explicit PrinterImpl(std::unique_ptr<Session> transport);

    // Frames and writes the request: header with its 0x00, payload, CRC.
    bool send(PrnMessage& message);
    // Reads one framed response into `message` (document and payload replaced).
    bool receive(PrnMessage& message);
    bool transact(PrnMessage& message) { return send(message) && receive(message); }

    // Runs one call of the printer. Running out of memory is the only thing that can throw
    // inside; it becomes a false result like every other failure instead of crossing the
    // library's boundary.
    template <class Body> bool run(Body&& body) noexcept {
        reception = Reception::Nothing;
        if (aborted())
            return fail(FailureReason::Cancelled);
        try {
            return body();
        } catch (...) {
            return fail(FailureReason::OutOfMemory);
        }
    }

    // Ends a call: `fail` records why and returns false; `succeed` returns true.
    bool fail(FailureReason why);
    bool succeed(bool refused = false);
    // Ends a call whose read or write of the transport failed, with the transport's reason when
    // it knows one and `otherwise` when not.
    bool failTransfer(FailureReason otherwise);

    // The time-outs a call uses: the caller's override when there is one, else the command's.
    std::uint32_t readTimeout(const PrnMessage& message) const {
        return readTimeoutOverride ? readTimeoutOverride : message.readTimeoutMs;
    }
    std::uint32_t writeTimeout(std::uint32_t own) const {
        return writeTimeoutOverride ? writeTimeoutOverride : own;
    }

    // Drops the transport after closing it as a finished job should.
    bool close();

    // From any thread: ends the transfer in hand and fails every later call (Printer::abort).
    void abort();
    bool aborted() const { return abortRequested.load(std::memory_order_acquire); }

    std::unique_ptr<Session> transport;
    // The transport when it is one of the library's own, which say more than true and false.
    ReportingSession* own = nullptr;
    FailureReason failure = FailureReason::None;
    // What the last call's receive got before it ended.
    Reception reception = Reception::Nothing;
    std::uint32_t readTimeoutOverride = 0;
    std::uint32_t writeTimeoutOverride = 0;
    // Bytes of the last raw write that the printer took.
    std::uint64_t lastWriteCount = 0;

private:
    std::atomic<bool> abortRequested{false};
    // The library's own transports wake from their waits through it; it outlives them.
    const std::shared_ptr<platform::CancelSignal> wake;
};

// Ends a call of `impl` (possibly empty) that was given an argument it cannot send.
inline bool rejectArgument(PrinterImpl* impl) {
    if (impl)
        impl->fail(FailureReason::BadArgument);
    return false;
}

// The skeleton every command shares. `build` fills the request (and clears the caller's outputs);
// `read` takes the results from the response and says whether it was well formed; the printer's
// error text then goes to `err`.
template <class Build, class Read>
bool runCommand(PrinterImpl* impl, std::string& err, Build&& build, Read&& read) noexcept {
    if (!impl)
        return false;
    return impl->run([&] {
        PrnMessage message;
        build(message);
        if (!impl->transport)
            return impl->fail(FailureReason::NotConnected);
        if (!impl->transact(message))
            return false;
        if (!read(message))
            return impl->fail(FailureReason::MalformedFrame);
        err = message.errorText();
        return impl->succeed(!err.empty());
    });
}

// A command that answers with nothing but its error text.
template <class Build>
bool runCommand(PrinterImpl* impl, std::string& err, Build&& build) noexcept {
    return runCommand(impl, err, build, [](const PrnMessage&) { return true; });
}

} // namespace Orvane
