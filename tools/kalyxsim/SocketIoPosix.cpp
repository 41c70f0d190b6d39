#include "SocketIo.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

namespace kalyxsim::io {

bool startup(std::string&) {
    return true;
}

int poll(std::vector<PollEntry>& entries, int timeoutMs, std::string& problem) {
    std::vector<pollfd> fds(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const short events = entries[i].events;
        fds[i] = {static_cast<int>(entries[i].handle),
                  static_cast<short>(((events & readable) ? POLLIN : 0) |
                                     ((events & writable) ? POLLOUT : 0)),
                  0};
    }
    const int ready = ::poll(fds.data(), fds.size(), timeoutMs);
    if (ready < 0 && errno == EINTR)
        return 0;
    if (ready < 0) {
        problem = std::strerror(errno);
        return -1;
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const short got = fds[i].revents;
        entries[i].revents =
            static_cast<short>(((got & POLLIN) ? readable : 0) | ((got & POLLOUT) ? writable : 0) |
                               ((got & POLLHUP) ? hungUp : 0) | ((got & POLLERR) ? failed : 0));
    }
    return ready;
}

Transfer receive(Handle handle, unsigned char* data, std::size_t size) {
    ssize_t n;
    do {
        n = ::read(static_cast<int>(handle), data, size);
    } while (n < 0 && errno == EINTR);
    Transfer done;
    if (n > 0) {
        done.status = Transfer::Moved;
        done.bytes = static_cast<std::size_t>(n);
    } else if (n == 0) {
        done.status = Transfer::End;
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
        done.status = Transfer::Again;
    }
    return done;
}

Transfer sendPieces(Handle handle, const Piece* pieces, int count, bool socket) {
    iovec parts[8];
    count = count < 8 ? count : 8;
    for (int i = 0; i < count; ++i)
        parts[i] = {const_cast<unsigned char*>(pieces[i].data), pieces[i].size};
    const int fd = static_cast<int>(handle);
    ssize_t n;
    do {
        if (socket) {
            msghdr message{};
            message.msg_iov = parts;
            message.msg_iovlen = static_cast<std::size_t>(count);
            n = ::sendmsg(fd, &message, MSG_NOSIGNAL);
        } else {
            n = ::writev(fd, parts, count);
        }
    } while (n < 0 && errno == EINTR);
    Transfer done;
    if (n >= 0) {
        done.status = Transfer::Moved;
        done.bytes = static_cast<std::size_t>(n);
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
        done.status = Transfer::Again;
    }
    return done;
}

void resetOnClose(Handle handle) {
    const linger abortive{1, 0};
    ::setsockopt(static_cast<int>(handle), SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
}

void close(Handle handle) {
    ::close(static_cast<int>(handle));
}

} // namespace kalyxsim::io
