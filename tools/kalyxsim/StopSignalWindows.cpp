#include "StopSignal.h"

#include "WindowsErrors.h"

#include <winsock2.h>

#include <windows.h>

#include <csignal>

namespace kalyxsim {

namespace {

// The end the console handler writes the event's number to; the other end is polled.
SOCKET wakeWriter = INVALID_SOCKET;

BOOL WINAPI onConsoleEvent(DWORD event) {
    const char code = static_cast<char>(event);
    ::send(wakeWriter, &code, 1, 0);
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        // Windows ends the process as soon as this returns (and a few seconds later in any
        // case): wait for the loop to finish the answer in hand. The end of main() ends this
        // thread sooner.
        ::Sleep(4000);
    return TRUE;
}

void closeSocket(SOCKET& s) {
    if (s != INVALID_SOCKET)
        ::closesocket(s);
    s = INVALID_SOCKET;
}

// Two connected loopback sockets, neither inherited by programs started later.
bool socketPair(SOCKET& reader, SOCKET& writer, std::string& problem) {
    SOCKET listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    bool ok = listener != INVALID_SOCKET &&
              ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
              ::listen(listener, 1) == 0 &&
              ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    if (ok) {
        writer = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        ok = writer != INVALID_SOCKET &&
             ::connect(writer, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
             (reader = ::accept(listener, nullptr, nullptr)) != INVALID_SOCKET;
    }
    if (!ok) {
        problem =
            "stop signal socket: " + systemMessage(static_cast<unsigned long>(::WSAGetLastError()));
        closeSocket(writer);
        closeSocket(reader);
    }
    closeSocket(listener);
    for (SOCKET s : {reader, writer})
        if (s != INVALID_SOCKET)
            ::SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
    return ok;
}

} // namespace

StopSignal::~StopSignal() {
    if (handle_ == io::noHandle)
        return;
    ::SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    closeSocket(wakeWriter);
    ::closesocket(static_cast<SOCKET>(handle_));
}

bool StopSignal::open(std::string& problem) {
    SOCKET reader = INVALID_SOCKET;
    if (!socketPair(reader, wakeWriter, problem))
        return false;
    u_long nonBlocking = 1;
    ::ioctlsocket(reader, FIONBIO, &nonBlocking);
    handle_ = static_cast<io::Handle>(reader);
    // A program started by a launcher that ignores Ctrl+C (a new process group, "start /b")
    // inherits that; a printer in a console is stopped with Ctrl+C all the same.
    ::SetConsoleCtrlHandler(nullptr, FALSE);
    if (!::SetConsoleCtrlHandler(onConsoleEvent, TRUE)) {
        problem = "SetConsoleCtrlHandler: " + systemMessage(::GetLastError());
        return false;
    }
    return true;
}

int StopSignal::take(std::string& name) {
    char code = 0;
    if (::recv(static_cast<SOCKET>(handle_), &code, 1, 0) != 1)
        return 0;
    switch (static_cast<unsigned char>(code)) {
    case CTRL_C_EVENT:
        name = "Ctrl+C";
        return SIGINT;
    case CTRL_BREAK_EVENT:
        name = "Ctrl+Break";
        return SIGBREAK;
    case CTRL_CLOSE_EVENT:
        name = "the closing of the console";
        return SIGTERM;
    default:
        name = "the end of the session";
        return SIGTERM;
    }
}

} // namespace kalyxsim
