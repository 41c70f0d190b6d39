#include <kalyxcomms/Session.h>

namespace Orvane {

Session::~Session() = default;

} // namespace Orvane
