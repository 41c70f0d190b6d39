// Opened non-blocking, so that neither a FIFO without a reader nor one whose reader stopped
// reading can hold a write beyond its time-out.
#include "platform/FileSink.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <ctime>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Orvane {
namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// How often the first write looks again for a FIFO's reader.
constexpr std::chrono::milliseconds kReaderPoll(10);

enum class Opened { Yes, NoReaderYet, Refused };

Opened openStream(const std::string& path, int& fd) {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        // ENXIO is also what a socket file gives, which never gets a reader.
        struct stat st {};
        return errno == ENXIO && ::stat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode)
                   ? Opened::NoReaderYet
                   : Opened::Refused;
    }
    // Judged on what was opened, not on what the name pointed at a moment before.
    struct stat st {};
    if (::fstat(fd, &st) == 0 &&
        (S_ISREG(st.st_mode) || S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode)))
        return Opened::Yes;
    ::close(fd);
    fd = -1;
    return Opened::Refused;
}

// A reader that goes away raises SIGPIPE; here it is an error of the write, not the end of the
// program. The signal is held back for this thread and a pending one taken away unseen.
class SigpipeHeld {
public:
    SigpipeHeld() {
        sigemptyset(&pipeOnly);
        sigaddset(&pipeOnly, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        wasPending = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipeOnly, &previous);
    }
    ~SigpipeHeld() {
        if (raised && !wasPending) {
            const timespec now{0, 0};
            while (sigtimedwait(&pipeOnly, nullptr, &now) < 0 && errno == EINTR) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    }
    bool raised = false;

private:
    sigset_t pipeOnly{};
    sigset_t previous{};
    bool wasPending = false;
};

int pollMs(std::uint32_t timeoutMs) {
    return timeoutMs == 0 || timeoutMs > INT_MAX ? -1 : static_cast<int>(timeoutMs);
}

} // namespace

struct FileSink::State {
    std::string path;
    int fd = -1;
    bool regular = false;
    bool awaitingReader = false;
    bool refused = false;

    // The first write of a FIFO without a reader tries the open again until the time-out.
    TransferStatus awaitReader(std::uint32_t timeoutMs, const CancelSignal* cancel) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            if (cancel && cancel->raised())
                return TransferStatus::Cancelled;
            const Opened opened = openStream(path, fd);
            if (opened == Opened::Yes) {
                awaitingReader = false;
                return TransferStatus::Done;
            }
            if (opened == Opened::Refused)
                return TransferStatus::Failed;
            if (timeoutMs != 0 && Clock::now() >= deadline)
                return TransferStatus::TimedOut;
            std::this_thread::sleep_for(kReaderPoll);
        }
    }
};

FileSink::FileSink(const std::string& path) : state(std::make_unique<State>()) {
    state->path = path;
    const Opened opened = openStream(path, state->fd);
    state->awaitingReader = opened == Opened::NoReaderYet;
    state->refused = opened == Opened::Refused;
    struct stat st {};
    state->regular = state->fd >= 0 && ::fstat(state->fd, &st) == 0 && S_ISREG(st.st_mode);
}

FileSink::~FileSink() {
    if (state->fd >= 0)
        ::close(state->fd);
}

bool FileSink::isOpen() const {
    return !state->refused && (state->fd >= 0 || state->awaitingReader);
}

Transfer FileSink::write(const char* data, std::size_t size, std::uint32_t timeoutMs,
                         const CancelSignal* cancel) {
    Transfer result;
    if (!isOpen())
        return result;
    if (cancel && cancel->raised()) {
        result.status = TransferStatus::Cancelled;
        return result;
    }
    if (size == 0) {
        result.status = TransferStatus::Done;
        return result;
    }
    if (state->awaitingReader &&
        (result.status = state->awaitReader(timeoutMs, cancel)) != TransferStatus::Done)
        return result;
    SigpipeHeld sigpipe;
    while (result.count < size) {
        const std::size_t chunk = std::min<std::size_t>(size - result.count, SSIZE_MAX);
        const ssize_t n = ::write(state->fd, data + result.count, chunk);
        if (n > 0) {
            result.count += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // Each wait is a step: no room for that long ends the write. poll() skips the
            // second entry when there is no cancel signal to watch.
            const int cancelFd = cancel ? static_cast<int>(cancel->waitHandle()) : -1;
            pollfd p[2] = {{state->fd, POLLOUT, 0}, {cancelFd, POLLIN, 0}};
            const int ready = ::poll(p, 2, pollMs(timeoutMs));
            if (ready == 0) {
                result.status = TransferStatus::TimedOut;
                return result;
            }
            if (ready > 0 && p[1].revents != 0) {
                result.status = TransferStatus::Cancelled;
                return result;
            }
            if (ready < 0 && errno != EINTR)
                return result;
            continue; // an error the poll saw shows in the next write
        }
        if (n < 0 && errno == EPIPE) {
            sigpipe.raised = true;
            result.status = TransferStatus::Closed;
        }
        return result; // ENOSPC, EIO and the like
    }
    result.status = TransferStatus::Done;
    return result;
}

bool FileSink::close() {
    if (state->fd < 0)
        return isOpen(); // a FIFO that never got a byte has nothing to lose
    // Some file systems report a full disk or a lost server only here.
    bool stored = !state->regular || ::fsync(state->fd) == 0;
    if (::close(state->fd) != 0 && errno != EINTR)
        stored = false;
    state->fd = -1;
    state->awaitingReader = false;
    state->refused = true;
    return stored;
}

} // namespace platform
} // namespace Orvane
