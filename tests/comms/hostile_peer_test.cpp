// The library against printers that answer badly or not at all: every failure has its own
// reason, and none takes longer than the time-out that governs it (short ones, set through the
// API, so the suite stays quick).
#include "HostilePeer.h"
#include "LoopbackPeer.h"
#include "Waiting.h"
#include "WireFrame.h"

#include "transport/EthernetSession.h"
#include "transport/UsbSession.h"

#include <kalyxcomms/Comms.h>

#include <gtest/gtest.h>

#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <map>

using namespace Orvane;
using namespace kalyxtest;
using Fault = HostilePeer::Fault;

namespace {

constexpr std::uint32_t readMs = 500;
constexpr std::uint32_t writeMs = 300;
// Scheduling on a loaded machine (and the sanitizers) on top of a time-out.
constexpr long long slackMs = 400;

struct Outcome {
    bool ok = false;
    FailureReason why = FailureReason::None;
    Reception got = Reception::Nothing;
    long long ms = 0; // until the printer was destroyed, as a caller's scope would
};

Outcome askSettings(std::uint16_t port) {
    const auto start = Clock::now();
    Outcome outcome;
    {
        Comms comms;
        auto printer = comms.getEthernetPrinter("127.0.0.1", static_cast<Port>(port));
        if (!printer)
            return {false, FailureReason::NotConnected, Reception::Nothing, msSince(start)};
        printer->setReadTimeout(readMs);
        std::map<std::string, std::string> settings{{"printer-name", ""}};
        std::string err;
        outcome.ok = printer->readSettings(settings, err);
        outcome.why = printer->lastFailure();
        outcome.got = printer->lastReception();
    }
    outcome.ms = msSince(start);
    return outcome;
}

} // namespace

TEST(HostilePrinter, EachBrokenAnswerFailsForItsReasonWithinItsTimeOut) {
    struct Case {
        Fault fault;
        FailureReason why;
        long long boundMs; // the time-out that governs this failure; 0: none, it is at once
        // Whether a printer sent it (a later try may do better) or another service did.
        Reception got;
    };
    const Case cases[] = {
        // Waited once, not again while closing.
        {Fault::Silent, FailureReason::ReadTimedOut, readMs, Reception::Nothing},
        // One byte every 20 ms never lets a single wait expire, but the whole answer is late.
        {Fault::Trickle, FailureReason::AnswerStalled, readMs, Reception::AnswerLike},
        {Fault::Stall, FailureReason::AnswerStalled, readMs, Reception::AnswerLike},
        {Fault::CloseMidFrame, FailureReason::ConnectionClosed, 0, Reception::AnswerLike},
        {Fault::Reset, FailureReason::ConnectionClosed, 0, Reception::Nothing},
        {Fault::Malformed, FailureReason::MalformedFrame, 0, Reception::AnswerLike},
        {Fault::HugeBinarySize, FailureReason::OversizedAnswer, 0, Reception::AnswerLike},
        // Services on a printer's port by mistake.
        {Fault::WebServer, FailureReason::ConnectionClosed, 0, Reception::Foreign},
        {Fault::Greeting, FailureReason::ReadTimedOut, readMs, Reception::Foreign},
    };
    for (const Case& c : cases) {
        HostilePeer peer(c.fault);
        const Outcome outcome = askSettings(peer.port());
        const char* reason = failureName(c.why);
        EXPECT_FALSE(outcome.ok) << reason;
        EXPECT_EQ(outcome.why, c.why) << failureName(outcome.why) << " instead of " << reason;
        EXPECT_EQ(outcome.got, c.got) << reason << ", fault " << int(c.fault);
        EXPECT_GE(outcome.ms + 20, c.boundMs) << reason;
        EXPECT_LT(outcome.ms, c.boundMs + slackMs) << reason;
        std::printf("[ figures  ] %-44s %5lld ms against a time-out of %lld ms\n", reason,
                    outcome.ms, c.boundMs);
    }
}

TEST(HostilePrinter, ASteadyLargeAnswerIsNotCutShort) {
    // 1 MiB at about 2 MB/s takes longer than the read time-out, but its payload earns it
    // 1 s more at the 1 MB/s floor.
    const std::string payload(1 << 20, 'r');
    LoopbackPeer peer([&](int fd) {
        LoopbackPeer::recvRequest(fd);
        const std::string reply = answer("<get-report-response/>", payload);
        for (std::size_t at = 0; at < reply.size(); at += 64 * 1024) {
            LoopbackPeer::sendAll(fd, reply.substr(at, 64 * 1024));
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
        LoopbackPeer::waitForEof(fd);
    });
    Comms comms;
    auto printer = comms.getEthernetPrinter("127.0.0.1", static_cast<Port>(peer.port));
    ASSERT_TRUE(printer);
    printer->setReadTimeout(300);
    std::vector<unsigned char> report;
    std::string err;
    const auto start = Clock::now();
    EXPECT_TRUE(printer->getReport(report, err)) << failureName(printer->lastFailure());
    EXPECT_GT(msSince(start), 300);
    EXPECT_EQ(report.size(), payload.size());
}

TEST(HostilePrinter, AJobToAPrinterThatStopsReadingEndsOneTimeOutAfterItStopped) {
    HostilePeer peer(Fault::RefuseToRead);
    const std::string job(32 << 20, 'j');
    const auto start = Clock::now();
    {
        Comms comms;
        auto printer = comms.getEthernetPrinter("127.0.0.1", static_cast<Port>(peer.port()));
        ASSERT_TRUE(printer);
        printer->setWriteTimeout(writeMs);
        EXPECT_FALSE(printer->write(job.data(), static_cast<int>(job.size())));
        EXPECT_EQ(printer->lastFailure(), FailureReason::WriteTimedOut);
        // What sits in the system's buffers never reached the printer.
        EXPECT_LT(printer->bytesWritten(), job.size() / 2);
    }
    const long long ms = msSince(start);
    EXPECT_LT(ms, writeMs + slackMs);
    std::printf("[ figures  ] %-44s %5lld ms against a time-out of %u ms\n",
                "a job the printer stopped taking", ms, writeMs);
}

TEST(HostilePrinter, ClosingTellsWhetherThePrinterTookTheJob) {
    const std::string job(1024, 'j');
    {
        // The job leaves at once, into the printer's buffers; the printer closes without
        // reading it, which resets the connection.
        HostilePeer peer(Fault::CloseUnread);
        Comms comms;
        auto printer = comms.getEthernetPrinter("127.0.0.1", static_cast<Port>(peer.port()));
        ASSERT_TRUE(printer);
        ASSERT_TRUE(printer->write(job.data(), static_cast<int>(job.size())));
        EXPECT_FALSE(printer->close());
        EXPECT_EQ(printer->lastFailure(), FailureReason::ConnectionClosed);
        std::string err;
        EXPECT_FALSE(printer->save(err)); // no transport any more
        EXPECT_EQ(printer->lastFailure(), FailureReason::NotConnected);
    }
    std::string arrived;
    LoopbackPeer peer([&](int fd) {
        LoopbackPeer::recvAll(fd, arrived, job.size());
        LoopbackPeer::waitForEof(fd);
    });
    Comms comms;
    auto printer = comms.getEthernetPrinter("127.0.0.1", static_cast<Port>(peer.port));
    ASSERT_TRUE(printer);
    ASSERT_TRUE(printer->write(job.data(), static_cast<int>(job.size())));
    EXPECT_TRUE(printer->close()) << failureName(printer->lastFailure());
    peer.join();
    EXPECT_EQ(arrived, job);
}

TEST(HostilePrinter, AConnectionNobodyAcceptsGivesUpAfterItsTimeOut) {
    HostilePeer peer(Fault::FullBacklog);
    const auto start = Clock::now();
    EthernetSession session("127.0.0.1", static_cast<Port>(peer.port()), writeMs);
    const long long ms = msSince(start);
    EXPECT_FALSE(session.isOpen());
    EXPECT_GE(ms + 20, writeMs);
    EXPECT_LT(ms, writeMs + slackMs);
    std::printf("[ figures  ] %-44s %5lld ms against a time-out of %u ms\n",
                "a connection nobody accepts", ms, writeMs);
}

TEST(UsbLock, ADeviceServesOneTransportAtATime) {
    int master = -1, slave = -1;
    char name[128] = {};
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    termios raw{};
    ::tcgetattr(slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave, TCSANOW, &raw);
    {
        UsbSession first(name);
        ASSERT_TRUE(first.isOpen());
        // Two jobs written at once would interleave on the device.
        UsbSession second(name);
        EXPECT_FALSE(second.isOpen());
        Comms comms;
        EXPECT_EQ(comms.getUsbPrinter(name), nullptr);
    }
    UsbSession again(name);
    EXPECT_TRUE(again.isOpen());
    ::close(slave);
    ::close(master);
}
