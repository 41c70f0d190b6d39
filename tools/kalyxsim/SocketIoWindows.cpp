#include "SocketIo.h"

#include "WindowsErrors.h"

#include <winsock2.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <vector>

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

namespace {

// A socket set for select() of any size. Windows' fd_set is a count followed by the sockets, and
// select() reads as many as the count says: FD_SETSIZE only sizes the declared array.
class SocketSet {
public:
    explicit SocketSet(std::size_t capacity) : words_(capacity + 1) {
        static_assert(offsetof(fd_set, fd_array) == sizeof(SOCKET), "fd_set layout");
        set()->fd_count = 0;
    }
    void add(SOCKET s) { words_[1 + set()->fd_count++] = s; }
    fd_set* get() { return set()->fd_count ? set() : nullptr; }
    // After select(): the sockets it reported, sorted for lookups.
    std::vector<SOCKET> reported() {
        std::vector<SOCKET> ready(words_.begin() + 1, words_.begin() + 1 + set()->fd_count);
        std::sort(ready.begin(), ready.end());
        return ready;
    }

private:
    fd_set* set() { return reinterpret_cast<fd_set*>(words_.data()); }
    std::vector<SOCKET> words_; // the first word holds the count
};

bool contains(const std::vector<SOCKET>& sorted, SOCKET s) {
    return std::binary_search(sorted.begin(), sorted.end(), s);
}

} // namespace

// select(), not WSAPoll: WSAPoll reports a host's orderly close (POLLHUP) to every later wait on
// its socket, even one for nothing or only for room to write, so a connection still owing an
// answer to a host that has finished sending would wake the loop at once, round after round.
// select() reports that close once as readability, as poll() does on POSIX.
int poll(std::vector<PollEntry>& entries, int timeoutMs, std::string& problem) {
    SocketSet readers(entries.size()), writers(entries.size());
    for (PollEntry& entry : entries) {
        entry.revents = 0;
        if (entry.handle == noHandle)
            continue;
        if (entry.events & readable)
            readers.add(socketOf(entry.handle));
        if (entry.events & writable)
            writers.add(socketOf(entry.handle));
    }
    if (!readers.get() && !writers.get()) {
        ::Sleep(timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs));
        return 0;
    }
    timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    if (::select(0, readers.get(), writers.get(), nullptr, timeoutMs < 0 ? nullptr : &limit) ==
        SOCKET_ERROR) {
        problem = "select: " + systemMessage(static_cast<unsigned long>(::WSAGetLastError()));
        return -1;
    }
    const std::vector<SOCKET> canRead = readers.reported(), canWrite = writers.reported();
    int ready = 0;
    for (PollEntry& entry : entries) {
        if (entry.handle == noHandle)
            continue;
        if ((entry.events & readable) && contains(canRead, socketOf(entry.handle)))
            entry.revents |= readable;
        if ((entry.events & writable) && contains(canWrite, socketOf(entry.handle)))
            entry.revents |= writable;
        ready += entry.revents != 0;
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
