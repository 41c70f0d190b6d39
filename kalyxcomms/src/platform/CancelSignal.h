#pragma once

#include <atomic>
#include <cstdint>

namespace Orvane {
namespace platform {

// A request, made from any thread, that the transfers of one transport stop: every wait that
// watches it ends at once, and every later one fails before it begins. Once raised it stays
// raised. Each back end (one file per operating system under platform/<system>/) makes the
// handle a wait watches beside its own.
class CancelSignal {
public:
    CancelSignal();
    ~CancelSignal();
    CancelSignal(const CancelSignal&) = delete;
    CancelSignal& operator=(const CancelSignal&) = delete;

    // Safe from any thread, and more than once.
    void raise();
    bool raised() const { return flag.load(std::memory_order_acquire); }

    // A descriptor that turns readable (POSIX) or an event that turns set (Windows) once
    // raised; -1 (POSIX) or 0 (Windows) when the system could not make one, and then only the
    // flag tells.
    std::intptr_t waitHandle() const { return handle; }

private:
    std::atomic<bool> flag{false};
    std::intptr_t handle;
};

} // namespace platform
} // namespace Orvane
