#include "PrinterImpl.h"

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
        if (!transport.setWriteTimeout(30000))
            return impl->fail(transport.isOpen() ? FailureReason::WriteFailed
                                                 : FailureReason::NotConnected);
        return transport.write(data, length) ? impl->succeed()
                                             : impl->failTransfer(FailureReason::WriteFailed);
    });
}

FailureReason Printer::lastFailure() const {
    return impl ? impl->failure : FailureReason::NotConnected;
}

} // namespace Orvane
