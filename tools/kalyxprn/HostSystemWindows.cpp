#include "HostSystem.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

namespace cli {

namespace {

// Name lookups need WinSock started in this process; it stays started until the program ends.
bool winsockStarted() {
    static const bool started = [] {
        WSADATA data{};
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

} // namespace

bool toDottedIPv4(const std::string& name, std::string& dotted) {
    if (!winsockStarted())
        return false;
    in_addr parsed{};
    if (::inet_pton(AF_INET, name.c_str(), &parsed) == 1) {
        dotted = name;
        return true;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || !found)
        return false;
    char text[INET_ADDRSTRLEN] = {};
    const auto* in = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    ::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
    ::freeaddrinfo(found);
    dotted = text;
    return true;
}

// A console, not a pipe or a file (a console handle answers GetConsoleMode).
bool stderrIsTerminal() {
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

} // namespace cli
