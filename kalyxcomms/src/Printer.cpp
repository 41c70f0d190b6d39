#include "PrinterImpl.h"
#include "transport/ReportingSession.h"

#include <kalyxcomms/Printer.h>

namespace Orvane {

Printer::Printer(std::unique_ptr<Session>&& transport)
    : impl(std::make_unique<PrinterImpl>(std::move(transport))) {}

Printer::Printer(Printer&&) noexcept = default;
Printer& Printer::operator=(Printer&&) noexcept = default;
Printer::~Printer() = default;

bool Printer::write(const char* data, int length) {
    if (!impl)
        return false;
    return impl->run([&] {
        if (!impl->transport)
            return impl->fail(FailureReason::NotConnected);
        // Checked here, so that no transport, ours or a caller's, is handed an impossible buffer.
        if (length < 0 || (!data && length > 0))
            return impl->fail(FailureReason::BadArgument);
        Session& transport = *impl->transport;
        impl->lastWriteCount = 0;
        if (!transport.setWriteTimeout(impl->writeTimeout(TakeTimeoutMs)))
            return impl->fail(transport.isOpen() ? FailureReason::WriteFailed
                                                 : FailureReason::NotConnected);
        const bool written = transport.write(data, length);
        // Transports from outside the library say all or nothing.
        impl->lastWriteCount = impl->own ? impl->own->lastWriteCount()
                               : written ? std::uint64_t(length)
                                         : 0;
        return written ? impl->succeed() : impl->failTransfer(FailureReason::WriteFailed);
    });
}

bool Printer::close() {
    if (!impl)
        return false;
    if (impl->aborted())
        return impl->close(); // drops the transport without a wait
    return impl->run([&] { return impl->close(); });
}

void Printer::abort() {
    if (impl)
        impl->abort();
}

void Printer::setReadTimeout(std::uint32_t milliseconds) {
    if (impl)
        impl->readTimeoutOverride = milliseconds;
}

void Printer::setWriteTimeout(std::uint32_t milliseconds) {
    if (impl)
        impl->writeTimeoutOverride = milliseconds;
}

std::uint64_t Printer::bytesWritten() const {
    return impl ? impl->lastWriteCount : 0;
}

FailureReason Printer::lastFailure() const {
    return impl ? impl->failure : FailureReason::NotConnected;
}

Reception Printer::lastReception() const {
    return impl ? impl->reception : Reception::Nothing;
}

} // namespace Orvane
