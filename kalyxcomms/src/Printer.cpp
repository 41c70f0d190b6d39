#include "PrinterImpl.h"

#include <kalyxcomms/Printer.h>

namespace Orvane {

Printer::Printer(std::unique_ptr<Session>&& transport)
    : impl(std::make_unique<PrinterImpl>(std::move(transport))) {}

Printer::Printer(Printer&&) noexcept = default;
Printer& Printer::operator=(Printer&&) noexcept = default;
Printer::~Printer() = default;

bool Printer::write(const char* data, int length) {
    return guarded([&] {
        if (!impl || !impl->transport)
            return false;
        Session& transport = *impl->transport;
        return transport.setWriteTimeout(30000) && transport.write(data, length);
    });
}

} // namespace Orvane
