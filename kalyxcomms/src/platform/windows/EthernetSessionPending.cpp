// Placeholder until the TCP transport sits on a platform socket seam: on Windows a TCP printer
// stays closed for now.
#include "transport/EthernetSession.h"

namespace Orvane {

EthernetSession::EthernetSession(const std::string&, Port) {}
EthernetSession::~EthernetSession() = default;
bool EthernetSession::read(char*, int) { return false; }
bool EthernetSession::write(const char*, int) { return false; }
bool EthernetSession::setReadTimeout(std::uint32_t) { return false; }
bool EthernetSession::setWriteTimeout(std::uint32_t) { return false; }

} // namespace Orvane
