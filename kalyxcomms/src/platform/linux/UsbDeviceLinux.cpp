// The usblp device node (/dev/usb/lpN). Blocking reads and writes on it never time out, so the
// node is opened non-blocking and every wait is a poll() bounded by the caller's time-out.

#include "platform/UsbDevice.h"

#include <cerrno>
#include <chrono>
#include <climits>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Orvane {
namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

// A device that keeps completing transfers with no bytes is given up on rather than retried
// until the deadline.
constexpr int maxEmptyTransfers = 64;

bool isRetryable(int error) {
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

// What waitFor() returns when the cancel signal was raised.
constexpr int waitCancelled = -2;

// Waits for `events` until `deadline`, or until `cancel` (-1: none) turns readable. Returns the
// reported events, 0 when the deadline passed, -1 when poll itself failed, waitCancelled.
int waitFor(int fd, short events, Clock::time_point deadline, int cancel) {
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        const long long ms = left.count() < 0 ? 0 : left.count();
        // poll() skips an entry whose descriptor is negative.
        pollfd p[2] = {{fd, events, 0}, {cancel, POLLIN, 0}};
        const int rc = ::poll(p, 2, ms > INT_MAX ? INT_MAX : static_cast<int>(ms));
        if (rc > 0 && p[1].revents != 0)
            return waitCancelled;
        if (rc > 0)
            return p[0].revents;
        if (rc == 0) {
            if (Clock::now() >= deadline)
                return 0;
            continue;
        }
        if (errno != EINTR)
            return -1;
    }
}

constexpr short brokenEvents = POLLERR | POLLHUP | POLLNVAL;

// A failed wait: the deadline passed (0), poll failed (-1) or the device broke off.
TransferStatus waitFailure(int revents) {
    if (revents == 0)
        return TransferStatus::TimedOut;
    if (revents == waitCancelled)
        return TransferStatus::Cancelled;
    return revents > 0 && (revents & brokenEvents) ? TransferStatus::Closed
                                                   : TransferStatus::Failed;
}

// usblp answers ENODEV once the printer is unplugged; a terminal standing in for it answers EIO
// once its other end is closed, and then also reports the hang-up.
TransferStatus errorStatus(int fd, int error) {
    if (error == ENODEV)
        return TransferStatus::Closed;
    if (error == EIO) {
        pollfd p{fd, 0, 0};
        if (::poll(&p, 1, 0) == 1 && (p.revents & POLLHUP))
            return TransferStatus::Closed;
    }
    return TransferStatus::Failed;
}

class LinuxUsbDevice final : public UsbDevice {
public:
    explicit LinuxUsbDevice(int fd) : fd(fd) {}
    ~LinuxUsbDevice() override { ::close(fd); }

    Transfer read(char* buffer, std::size_t size, std::uint32_t timeoutMs) override {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        int empty = 0;
        for (;;) {
            if (cancelled())
                return {TransferStatus::Cancelled, 0};
            const ssize_t n = ::read(fd, buffer, size);
            if (n > 0)
                return {TransferStatus::Done, static_cast<std::size_t>(n)};
            if (n < 0 && !isRetryable(errno))
                return {errorStatus(fd, errno), 0};
            // usblp returns 0 for a zero-length packet: not the end, the printer may say more.
            if (n == 0 && ++empty > maxEmptyTransfers)
                return {TransferStatus::Failed, 0};
            const int revents = waitFor(fd, POLLIN, deadline, cancelFd());
            if (revents <= 0)
                return {waitFailure(revents), 0};
            if (revents & brokenEvents) {
                // usblp never reports a hang-up; a terminal standing in for it does, and then
                // reads return 0 for ever. Take what is left and stop.
                const ssize_t last = ::read(fd, buffer, size);
                if (last > 0)
                    return {TransferStatus::Done, static_cast<std::size_t>(last)};
                return {TransferStatus::Closed, 0};
            }
        }
    }

    Transfer write(const char* data, std::size_t size, std::uint32_t timeoutMs) override {
        auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        std::size_t done = 0;
        int empty = 0;
        // usblp takes at most 8 KiB per call and returns before the bytes are sent; the next call
        // waits (EAGAIN) until they were. A printer that prints while it receives takes a large
        // job slowly but steadily: only a wait in which it took nothing at all may time out.
        while (done < size) {
            if (cancelled())
                return {TransferStatus::Cancelled, done};
            const ssize_t n = ::write(fd, data + done, size - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
                continue;
            }
            if (n < 0 && !isRetryable(errno))
                return {errorStatus(fd, errno), done};
            if (n == 0 && ++empty > maxEmptyTransfers)
                return {TransferStatus::Failed, done};
            const int revents = waitFor(fd, POLLOUT, deadline, cancelFd());
            if (revents <= 0 || (revents & brokenEvents))
                return {waitFailure(revents), done};
        }
        return {TransferStatus::Done, done};
    }

    TransferStatus waitWritten(std::uint32_t timeoutMs) override {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        const int revents = waitFor(fd, POLLOUT, deadline, cancelFd());
        if (revents > 0 && (revents & POLLOUT) && !(revents & brokenEvents))
            return TransferStatus::Done;
        return waitFailure(revents);
    }

private:
    int cancelFd() const { return cancel ? static_cast<int>(cancel->waitHandle()) : -1; }

    const int fd;
};

} // namespace

std::unique_ptr<UsbDevice> UsbDevice::open(const std::string& devicePath) {
    int fd;
    do {
        fd = ::open(devicePath.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    // EBUSY: another program (or another session of ours) holds the printer.
    if (fd < 0)
        return nullptr;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    // usblp lets one process open a printer at a time, but two transports of one process, or
    // a terminal standing in for the printer, would interleave their jobs. Every program of
    // ours takes this lock for as long as it holds the device; a held lock is a busy printer.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<LinuxUsbDevice>(fd);
}

} // namespace platform
} // namespace Orvane
