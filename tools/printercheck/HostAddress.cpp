// The same calls on every system, from different headers.
#include "HostAddress.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#endif

namespace kalyxcheck {

bool toDottedIPv4(const std::string& name, std::string& dotted) {
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

} // namespace kalyxcheck
