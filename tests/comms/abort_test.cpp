// Printer::abort from another thread: a call blocked in any transport's wait ends at once as
// cancelled (the time-outs here are the defaults, 7 s for an answer and 30 s for taking data),
// later calls fail the same way, and the network peer sees the connection end.
#include "HostilePeer.h"
#include "LoopbackPeer.h"
#include "TempDir.h"
#include "Waiting.h"

#include "transport/UsbSession.h"

#include <kalyxcomms/Comms.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <thread>

using namespace Orvane;
using namespace kalyxtest;

namespace {

// How soon after abort() the blocked call must have returned: far below every time-out in
// play, and loose enough for a loaded machine or the sanitizers.
constexpr long long returnBoundMs = 1000;
// How long the call is given to settle into its wait before the abort.
constexpr auto settle = std::chrono::milliseconds(200);

// A pseudo-terminal in raw mode, whose other end nobody reads or writes: a USB printer that
// went quiet.
struct QuietPty {
    QuietPty() {
        char path[128] = {};
        if (::openpty(&master, &slave, path, nullptr, nullptr) != 0)
            return;
        termios raw{};
        ::tcgetattr(slave, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave, TCSANOW, &raw);
        name = path;
    }
    ~QuietPty() {
        ::close(slave);
        ::close(master);
    }
    int master = -1;
    int slave = -1;
    std::string name;
};

bool readSettings(Printer& printer) {
    std::map<std::string, std::string> settings{{"printer-name", ""}};
    std::string err;
    return printer.readSettings(settings, err);
}

bool writeLargeJob(Printer& printer) {
    static const std::string job(32 << 20, 'j');
    return printer.write(job.data(), static_cast<int>(job.size()));
}

} // namespace

TEST(Abort, EndsACallBlockedInAnyTransportAtOnce) {
    TempDir dir;
    Comms comms;
    std::atomic<bool> asked{false}, closed{false};
    LoopbackPeer silent([&](int fd) {
        LoopbackPeer::recvRequest(fd);
        asked = true;
        LoopbackPeer::waitForEof(fd);
        closed = true;
    });
    HostilePeer notReading(HostilePeer::Fault::RefuseToRead);
    QuietPty quietForReading, quietForWriting;
    const std::string noReader = dir.file("no-reader");
    const std::string stuckReader = dir.file("stuck-reader");
    ASSERT_EQ(::mkfifo(noReader.c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(stuckReader.c_str(), 0600), 0);
    // Opened for reading, never read.
    const int stuckEnd = ::open(stuckReader.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(stuckEnd, 0);

    const auto usb = [](const std::string& name) {
        return std::make_unique<Printer>(std::make_unique<UsbSession>(name));
    };
    struct Case {
        const char* what;
        std::unique_ptr<Printer> printer;
        std::function<bool(Printer&)> call;
    };
    Case cases[] = {
        {"network, waiting for an answer",
         comms.getEthernetPrinter("127.0.0.1", static_cast<Port>(silent.port)), readSettings},
        {"network, waiting to send",
         comms.getEthernetPrinter("127.0.0.1", static_cast<Port>(notReading.port())),
         writeLargeJob},
        {"USB, waiting for an answer", usb(quietForReading.name), readSettings},
        {"USB, waiting to send", usb(quietForWriting.name), writeLargeJob},
        {"FIFO, waiting for a reader", comms.getFilePrinter(noReader), writeLargeJob},
        {"FIFO, waiting for room", comms.getFilePrinter(stuckReader), writeLargeJob},
    };
    for (Case& c : cases) {
        ASSERT_TRUE(c.printer) << c.what;
        Printer& printer = *c.printer;
        std::atomic<bool> returned{false};
        bool succeeded = true;
        std::thread caller([&] {
            succeeded = c.call(printer);
            returned = true;
        });
        std::this_thread::sleep_for(settle);
        EXPECT_FALSE(returned) << c.what << ": did not wait at all";
        const auto aborted = Clock::now();
        printer.abort();
        const bool inTime = waitUntil([&] { return returned.load(); }, returnBoundMs);
        caller.join();
        const long long ms = msSince(aborted);
        EXPECT_TRUE(inTime) << c.what << ": returned " << ms << " ms after the abort";
        EXPECT_FALSE(succeeded) << c.what;
        EXPECT_EQ(printer.lastFailure(), FailureReason::Cancelled)
            << c.what << ": " << failureName(printer.lastFailure());
        std::printf("[ figures  ] %-34s returned %4lld ms after abort()\n", c.what, ms);

        // Everything later fails the same way, without a wait; close gives the transport up.
        const auto later = Clock::now();
        EXPECT_FALSE(readSettings(printer)) << c.what;
        EXPECT_EQ(printer.lastFailure(), FailureReason::Cancelled) << c.what;
        EXPECT_FALSE(printer.close()) << c.what;
        EXPECT_EQ(printer.lastFailure(), FailureReason::Cancelled) << c.what;
        EXPECT_LT(msSince(later), returnBoundMs) << c.what;
    }
    EXPECT_TRUE(asked);
    EXPECT_TRUE(waitUntil([&] { return closed.load(); }, 2000)) << "the peer saw no end";
    silent.join();
    ::close(stuckEnd);
}

// A job the system still holds for sending when the printer is aborted never reaches the printer
// whole: the connection is reset, so the printer sees no orderly end after the last byte.
TEST(Abort, ANetworkPrinterSeesAResetNotTheEndOfTheJob) {
    std::atomic<bool> aborted{false};
    std::atomic<int> ending{-1};
    LoopbackPeer printerSide([&](int fd) {
        waitUntil([&] { return aborted.load(); });
        char buffer[65536];
        ssize_t n;
        while ((n = ::recv(fd, buffer, sizeof buffer, 0)) > 0) {
        }
        ending = n < 0 ? errno : 0;
    });
    std::unique_ptr<Printer> printer =
        Comms().getEthernetPrinter("127.0.0.1", static_cast<Port>(printerSide.port));
    ASSERT_TRUE(printer);
    // Small enough for the system's buffers: every write returns before the peer reads a byte.
    const std::string job(64 * 1024, 'j');
    ASSERT_TRUE(printer->write(job.data(), static_cast<int>(job.size())));
    printer->abort();
    EXPECT_FALSE(printer->close());
    aborted = true;
    printerSide.join();
    EXPECT_EQ(ending.load(), ECONNRESET) << "0: the peer saw an orderly end";
}
