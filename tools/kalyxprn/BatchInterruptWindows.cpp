#include "BatchInterrupt.h"

#include <windows.h>

namespace cli {

namespace {

std::atomic<bool>* flag = nullptr;

BOOL WINAPI onConsoleEvent(DWORD) {
    if (flag->exchange(true))
        ExitProcess(130);
    return TRUE;
}

} // namespace

void catchInterrupts(std::atomic<bool>& interrupted) {
    flag = &interrupted;
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

} // namespace cli
