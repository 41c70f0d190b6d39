#include "SocketIo.h"

#include "WindowsErrors.h"

#include <winsock2.h>

#include <algorithm>
#include <climits>

namespace kalyxsim::io {

namespace {
SOCKET socketOf(Handle handle) {
    return static_cast<SOCKET>(handle);
}
} // namespace

bool startup(std::string& problem) {
    WSADATA data{};
    const int error = ::WSAStartup(MAKEWORD(2, 2), &data);
    if (error != 0)
        problem = "WSAStartup: " + systemMessage(static_cast<unsigned long>(error));
    return error == 0;
}

int poll(std::vector<PollEntry>& entries, int timeoutMs, std::string& problem) {
    // WSAPoll takes sockets only: the entries not watched this round are left out.
    std::vector<WSAPOLLFD> fds;
    std::vector<std::size_t> from;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        entries[i].revents = 0;
        if (entries[i].handle == noHandle)
            continue;
        const short events = entries[i].events;
        WSAPOLLFD fd{};
        fd.fd = socketOf(entries[i].handle);
        fd.events = static_cast<short>(((events & readable) ? POLLRDNORM : 0) |
                                       ((events & writable) ? POLLWRNORM : 0));
        fds.push_back(fd);
        from.push_back(i);
    }
    if (fds.empty()) {
        ::Sleep(timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs));
        return 0;
    }
    const int ready = ::WSAPoll(fds.data(), static_cast<ULONG>(fds.size()), timeoutMs);
    if (ready == SOCKET_ERROR) {
        problem = "WSAPoll: " + systemMessage(static_cast<unsigned long>(::WSAGetLastError()));
        return -1;
    }
    for (std::size_t j = 0; j < fds.size(); ++j) {
        const short got = fds[j].revents;
        entries[from[j]].revents = static_cast<short>(
            ((got & (POLLRDNORM | POLLRDBAND)) ? readable : 0) |
            ((got & POLLWRNORM) ? writable : 0) | ((got & POLLHUP) ? hungUp : 0) |
            ((got & (POLLERR | POLLNVAL)) ? failed : 0));
    }
    return ready;
}

Transfer receive(Handle handle, unsigned char* data, std::size_t size) {
    const int n = ::recv(socketOf(handle), reinterpret_cast<char*>(data),
                         static_cast<int>(std::min<std::size_t>(size, INT_MAX)), 0);
    Transfer done;
    if (n > 0) {
        done.status = Transfer::Moved;
        done.bytes = static_cast<std::size_t>(n);
    } else if (n == 0) {
        done.status = Transfer::End;
    } else if (::WSAGetLastError() == WSAEWOULDBLOCK) {
        done.status = Transfer::Again;
    }
    return done;
}

Transfer sendPieces(Handle handle, const Piece* pieces, int count, bool) {
    WSABUF parts[8];
    count = std::min(count, 8);
    for (int i = 0; i < count; ++i) {
        // A WSABUF holds at most 4 GiB less one byte; the rest leaves with the next call.
        parts[i].len = static_cast<ULONG>(std::min<std::size_t>(pieces[i].size, ULONG_MAX));
        parts[i].buf = reinterpret_cast<char*>(const_cast<unsigned char*>(pieces[i].data));
        if (parts[i].len != pieces[i].size) {
            count = i + 1;
            break;
        }
    }
    DWORD sent = 0;
    Transfer done;
    if (::WSASend(socketOf(handle), parts, static_cast<DWORD>(count), &sent, 0, nullptr, nullptr) ==
        0) {
        done.status = Transfer::Moved;
        done.bytes = sent;
    } else if (::WSAGetLastError() == WSAEWOULDBLOCK) {
        done.status = Transfer::Again;
    }
    return done;
}

void resetOnClose(Handle handle) {
    linger abortive{};
    abortive.l_onoff = 1;
    abortive.l_linger = 0;
    ::setsockopt(socketOf(handle), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abortive),
                 sizeof abortive);
}

void close(Handle handle) {
    ::closesocket(socketOf(handle));
}

} // namespace kalyxsim::io
