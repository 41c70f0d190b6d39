#include "CommsImpl.h"
#include "transport/EthernetSession.h"
#include "transport/FileSession.h"

namespace Orvane {

Comms::Comms() : impl(std::make_unique<CommsImpl>()) {}
Comms::Comms(Comms&&) noexcept = default;
Comms& Comms::operator=(Comms&&) noexcept = default;
Comms::~Comms() = default;

namespace {

// Running out of memory while opening is one more way to get no printer.
template <class Make> std::unique_ptr<Printer> orNothing(Make&& make) noexcept {
    try {
        return make();
    } catch (...) {
        return nullptr;
    }
}

} // namespace

std::unique_ptr<Printer> Comms::getEthernetPrinter(const std::string& address, Port port) const {
    return orNothing(
        [&] { return CommsImpl::adopt(*this, std::make_unique<EthernetSession>(address, port)); });
}

std::unique_ptr<Printer> Comms::getFilePrinter(const std::string& path) const {
    return orNothing([&] { return CommsImpl::adopt(*this, std::make_unique<FileSession>(path)); });
}

} // namespace Orvane
