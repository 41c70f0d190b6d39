#pragma once

#include "PrnMessage.h"

#include <kalyxcomms/FailureReason.h>
#include <kalyxcomms/Session.h>

#include <memory>
#include <string>

namespace Orvane {

class PrinterImpl {
public:
    explicit PrinterImpl(std::unique_ptr<Session> transport) : transport(std::move(transport)) {}

    // Frames and writes the request: header with its 0x00, payload, CRC.
    bool send(PrnMessage& message);
    // Reads one framed response into `message` (document and payload replaced).
    bool receive(PrnMessage& message);
    bool transact(PrnMessage& message) { return send(message) && receive(message); }

    // Runs one call of the printer. Running out of memory is the only thing that can throw
    // inside; it becomes a false result like every other failure instead of crossing the
    // library's boundary.
    template <class Body> bool run(Body&& body) noexcept {
        try {
            return body();
        } catch (...) {
            return fail(FailureReason::OutOfMemory);
        }
    }

    // Ends a call: `fail` records why and returns false; `succeed` returns true.
    bool fail(FailureReason why) {
        failure = why;
        return false;
    }
    bool succeed(bool refused = false) {
        failure = refused ? FailureReason::PrinterRefused : FailureReason::None;
        return true;
    }
    // Ends a call whose read or write of the transport failed, with the transport's reason when
    // it knows one and `otherwise` when not.
    bool failTransfer(FailureReason otherwise);

    std::unique_ptr<Session> transport;
    FailureReason failure = FailureReason::None;
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
