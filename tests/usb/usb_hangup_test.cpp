// A plain pseudo-terminal stands in for a printer that goes away: unlike umockdev's, its far end
// can be closed.
#include "transport/UsbSession.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include <pty.h>
#include <termios.h>
#include <unistd.h>

using namespace std::chrono;

namespace {

struct Pty {
    Pty() {
        char name[128];
        if (::openpty(&master, &slave, name, nullptr, nullptr) == 0) {
            termios raw;
            ::tcgetattr(slave, &raw);
            ::cfmakeraw(&raw);
            ::tcsetattr(slave, TCSANOW, &raw);
            path = name;
        }
    }
    ~Pty() {
        if (master >= 0)
            ::close(master);
        if (slave >= 0)
            ::close(slave);
    }
    void hangUp() {
        ::close(master);
        master = -1;
    }

    int master = -1;
    int slave = -1;
    std::string path;
};

TEST(UsbHangUp, TransfersFailAtOnceWhenThePrinterGoesAway) {
    Pty pty;
    ASSERT_FALSE(pty.path.empty());
    Orvane::UsbSession session(pty.path);
    ASSERT_TRUE(session.isOpen());
    session.setReadTimeout(5000);
    session.setWriteTimeout(5000);

    ASSERT_EQ(::write(pty.master, "ok", 2), 2);
    char got[2];
    ASSERT_TRUE(session.read(got, 2));

    pty.hangUp();
    const auto start = steady_clock::now();
    EXPECT_FALSE(session.read(got, 1));
    EXPECT_EQ(session.lastTransferFailure(), Orvane::FailureReason::ConnectionClosed);
    EXPECT_FALSE(session.write("job", 3));
    EXPECT_LT(duration_cast<milliseconds>(steady_clock::now() - start).count(), 1000);
}

} // namespace
