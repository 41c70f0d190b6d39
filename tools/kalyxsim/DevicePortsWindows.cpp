#include "DevicePorts.h"

namespace kalyxsim {

struct DevicePorts::Ends {};

DevicePorts::DevicePorts() = default;
DevicePorts::~DevicePorts() = default;

bool DevicePorts::available(const SimOptions&, std::string&) {
    return true; // --pty and --usb were refused with the other options
}

bool DevicePorts::attach(const SimOptions&, Server&, std::string&) {
    return true;
}

void DevicePorts::announce(const SimOptions&, std::FILE*) const {}

bool DevicePorts::start(const SimOptions&, std::string&) {
    return true;
}

int DevicePorts::serve(Server& server, StopSignal& stop) {
    return server.run(stop) > 0 ? 0 : 1;
}

} // namespace kalyxsim
