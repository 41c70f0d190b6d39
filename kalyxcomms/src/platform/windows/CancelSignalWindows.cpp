// A manual-reset event: once set it stays set, so every wait that watches it returns at once.
#include "platform/CancelSignal.h"

#include <windows.h>

namespace Orvane {
namespace platform {

CancelSignal::CancelSignal()
    : handle(reinterpret_cast<std::intptr_t>(::CreateEventW(nullptr, TRUE, FALSE, nullptr))) {}

CancelSignal::~CancelSignal() {
    if (handle)
        ::CloseHandle(reinterpret_cast<HANDLE>(handle));
}

void CancelSignal::raise() {
    flag.store(true, std::memory_order_release);
    if (handle)
        ::SetEvent(reinterpret_cast<HANDLE>(handle));
}

} // namespace platform
} // namespace Orvane
