// An eventfd that is written once: from then on it stays readable, so every poll() that
// watches it returns at once.
#include "platform/CancelSignal.h"

#include <sys/eventfd.h>
#include <unistd.h>

namespace Orvane {
namespace platform {

CancelSignal::CancelSignal() : handle(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

CancelSignal::~CancelSignal() {
    if (handle >= 0)
        ::close(static_cast<int>(handle));
}

void CancelSignal::raise() {
    flag.store(true, std::memory_order_release);
    if (handle >= 0) {
        const std::uint64_t one = 1;
        // Only fails when the counter is full, which leaves it readable all the same.
        (void)!::write(static_cast<int>(handle), &one, sizeof one);
    }
}

} // namespace platform
} // namespace Orvane
