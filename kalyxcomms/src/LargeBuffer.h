#pragma once

#include <cstddef>

namespace Orvane {

// Asks the system to back a large buffer with huge pages where it can, so filling it costs a
// few hundred page faults instead of tens of thousands. A hint only: nothing changes otherwise.
void adviseLargeBuffer(void* data, std::size_t size);

} // namespace Orvane
