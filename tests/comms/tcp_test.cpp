// The TCP transport against a real peer on loopback.
#include "LoopbackPeer.h"
#include "Waiting.h"
#include "WireFrame.h"

#include "transport/EthernetSession.h"

#include <kalyxcomms/Comms.h>

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

using namespace Orvane;
using namespace kalyxtest;

TEST(TcpConnect, AddressesThatAreNotAPrinterCreateNoSocket) {
    for (const char* address : {"0.0.0.0", "255.255.255.255", "printer.local", "", " 127.0.0.1"}) {
        EthernetSession session(address, DefaultPort);
        EXPECT_FALSE(session.isOpen()) << address;
        EXPECT_EQ(session.socketDescriptor(), -1) << address;
        char c;
        EXPECT_FALSE(session.read(&c, 1));
        EXPECT_FALSE(session.write("x", 1));
        EXPECT_EQ(session.lastTransferFailure(), FailureReason::NotConnected);
    }
    Comms comms;
    EXPECT_EQ(comms.getEthernetPrinter("printer.local", DefaultPort), nullptr);
}

TEST(TcpConnect, RefusedConnectionGivesNoPrinter) {
    std::uint16_t port;
    { // a port that was free a moment ago has no listener now
        LoopbackPeer peer([](int) {});
        port = peer.port;
        EthernetSession connect("127.0.0.1", static_cast<Port>(port));
    }
    Comms comms;
    EXPECT_EQ(comms.getEthernetPrinter("127.0.0.1", static_cast<Port>(port)), nullptr);
}

TEST(TcpConnect, PortUsesTheLow16BitsAndNagleIsOff) {
    LoopbackPeer peer([](int fd) { LoopbackPeer::waitForEof(fd); });
    EthernetSession session("127.0.0.1", static_cast<Port>(0x10000u | peer.port));
    ASSERT_TRUE(session.isOpen());
    int noDelay = 0;
    socklen_t length = sizeof noDelay;
    ASSERT_EQ(getsockopt(session.socketDescriptor(), IPPROTO_TCP, TCP_NODELAY, &noDelay, &length),
              0);
    EXPECT_NE(noDelay, 0);
}

TEST(TcpExchange, CommandRoundTripWithAResponseSplitAcrossReads) {
    LoopbackPeer peer([](int fd) {
        const Frame request = LoopbackPeer::recvRequest(fd);
        const std::string reply =
            answer(std::string("<get-response><param id=\"id-model-name\">") +
                       (request.crcOk() ? "K2" : "bad crc") + "</param></get-response>",
                   "tail");
        // Stray bytes, then the response in two pieces.
        LoopbackPeer::sendAll(fd, "zz" + reply.substr(0, 10));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        LoopbackPeer::sendAll(fd, reply.substr(10));
        LoopbackPeer::waitForEof(fd);
    });
    Comms comms;
    auto printer = comms.getEthernetPrinter("127.0.0.1", static_cast<Port>(peer.port));
    ASSERT_NE(printer, nullptr);
    std::map<std::string, std::string> settings = {{"id-model-name", ""}};
    std::string err = "stale";
    ASSERT_TRUE(printer->readSettings(settings, err));
    EXPECT_EQ(settings["id-model-name"], "K2");
    EXPECT_EQ(err, "");
}

TEST(TcpExchange, LargePayloadArrivesIntact) {
    std::string payload(10 * 1000 * 1000 + 3, '\0');
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<char>(i * 7 + i / 4096);
    LoopbackPeer peer([&](int fd) {
        LoopbackPeer::recvRequest(fd);
        LoopbackPeer::sendAll(fd, answer("<get-report-response/>", payload));
        LoopbackPeer::waitForEof(fd);
    });
    Comms comms;
    auto printer = comms.getEthernetPrinter("127.0.0.1", static_cast<Port>(peer.port));
    ASSERT_NE(printer, nullptr);
    std::vector<unsigned char> report;
    std::string err;
    ASSERT_TRUE(printer->getReport(report, err));
    EXPECT_TRUE(std::string(report.begin(), report.end()) == payload);
}

TEST(TcpExchange, APrinterThatClosesMidAnswerIsReportedAsClosed) {
    LoopbackPeer peer([](int fd) {
        LoopbackPeer::recvRequest(fd);
        const std::string reply = answer("<save-response/>");
        LoopbackPeer::sendAll(fd, reply.substr(0, reply.size() / 2));
    });
    Comms comms;
    auto printer = comms.getEthernetPrinter("127.0.0.1", static_cast<Port>(peer.port));
    ASSERT_NE(printer, nullptr);
    std::string err;
    EXPECT_FALSE(printer->save(err));
    EXPECT_EQ(printer->lastFailure(), FailureReason::ConnectionClosed);
}

TEST(TcpTransport, ReadTimesOutAndTheTransportStaysUsable) {
    LoopbackPeer peer([](int fd) {
        std::string go;
        LoopbackPeer::recvAll(fd, go, 1); // sent after the client's time-out
        LoopbackPeer::sendAll(fd, "late");
        LoopbackPeer::waitForEof(fd);
    });
    EthernetSession session("127.0.0.1", static_cast<Port>(peer.port));
    ASSERT_TRUE(session.setReadTimeout(150));
    char buffer[4];
    const auto start = Clock::now();
    EXPECT_FALSE(session.read(buffer, 4));
    EXPECT_GE(msSince(start), 100);
    EXPECT_LT(msSince(start), 3000);
    EXPECT_EQ(session.lastTransferFailure(), FailureReason::ReadTimedOut);
    EXPECT_TRUE(session.isOpen());
    ASSERT_TRUE(session.write("g", 1));
    ASSERT_TRUE(session.setReadTimeout(5000));
    ASSERT_TRUE(session.read(buffer, 4));
    EXPECT_EQ(std::string(buffer, 4), "late");
}

TEST(TcpTransport, PeerCloseFailsReadsAndWritesWithoutSigpipe) {
    // The default disposition would kill this process on a write to a closed connection.
    ASSERT_NE(std::signal(SIGPIPE, SIG_DFL), SIG_ERR);
    LoopbackPeer peer([](int fd) { LoopbackPeer::sendAll(fd, "ab"); });
    EthernetSession session("127.0.0.1", static_cast<Port>(peer.port));
    ASSERT_TRUE(session.isOpen());
    peer.join();
    char buffer[3];
    EXPECT_FALSE(session.read(buffer, 3)) << "two bytes, then the close";
    EXPECT_EQ(session.lastTransferFailure(), FailureReason::ConnectionClosed);
    const std::string block(1 << 20, 'w');
    bool failed = false;
    for (int i = 0; i < 64 && !failed; ++i)
        failed = !session.write(block.data(), static_cast<int>(block.size()));
    EXPECT_TRUE(failed);
    EXPECT_EQ(session.lastTransferFailure(), FailureReason::ConnectionClosed);
    EXPECT_TRUE(session.write("", 0));
    EXPECT_FALSE(session.write(nullptr, 1));
    EXPECT_FALSE(session.read(nullptr, 1));
}

TEST(TcpClose, ShutsDownSendingAndWaitsForThePrinterToClose) {
    std::string received;
    LoopbackPeer peer([&](int fd) {
        char buffer[64];
        ssize_t n;
        while ((n = ::recv(fd, buffer, sizeof buffer, 0)) > 0)
            received.append(buffer, static_cast<std::size_t>(n));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        LoopbackPeer::sendAll(fd, "bye"); // drained by the client, then the close
    });
    auto session = std::make_unique<EthernetSession>("127.0.0.1", static_cast<Port>(peer.port));
    ASSERT_TRUE(session->write("job", 3));
    const auto start = Clock::now();
    session.reset();
    EXPECT_GE(msSince(start), 80) << "returned before the printer closed";
    peer.join();
    EXPECT_EQ(received, "job");
}

TEST(TcpClose, APrinterThatAnsweredAndStaysOpenIsNotWaitedFor) {
    LoopbackPeer peer([](int fd) {
        LoopbackPeer::recvRequest(fd);
        LoopbackPeer::sendAll(fd, answer("<get-response/>", ""));
        LoopbackPeer::waitForEof(fd);
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    });
    Comms comms;
    auto printer = comms.getEthernetPrinter("127.0.0.1", static_cast<Port>(peer.port));
    ASSERT_NE(printer, nullptr);
    std::map<std::string, std::string> settings = {{"printer-name", ""}};
    std::string err;
    ASSERT_TRUE(printer->readSettings(settings, err)) << err;
    const auto start = Clock::now();
    printer.reset();
    EXPECT_LT(msSince(start), 700) << "the close waited for the printer's own";
}

TEST(TcpClose, APrinterThatStaysOpenDelaysCloseOnlyUntilTheReceiveTimeout) {
    LoopbackPeer peer([](int fd) {
        LoopbackPeer::waitForEof(fd);
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
    });
    auto session = std::make_unique<EthernetSession>("127.0.0.1", static_cast<Port>(peer.port));
    ASSERT_TRUE(session->setReadTimeout(200));
    const auto start = Clock::now();
    session.reset();
    EXPECT_GE(msSince(start), 150);
    EXPECT_LT(msSince(start), 700);
}

TEST(TcpTransport, APrinterThatStopsReadingFailsTheWriteAfterTheTimeout) {
    std::atomic<bool> release{false};
    LoopbackPeer peer([&](int) {
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    });
    auto session = std::make_unique<EthernetSession>("127.0.0.1", static_cast<Port>(peer.port));
    ASSERT_TRUE(session->setWriteTimeout(200));
    ASSERT_TRUE(session->setReadTimeout(100)); // bounds the close sequence below
    const std::string block(64 << 20, 'j');
    const auto start = Clock::now();
    EXPECT_FALSE(session->write(block.data(), static_cast<int>(block.size())));
    EXPECT_LT(msSince(start), 5000);
    EXPECT_EQ(session->lastTransferFailure(), FailureReason::WriteTimedOut);
    EXPECT_TRUE(session->isOpen());
    // Bytes are still unsent: closing must not linger waiting for them.
    const auto closing = Clock::now();
    session.reset();
    EXPECT_LT(msSince(closing), 2000);
    release = true;
}

TEST(TcpTransport, APrinterThatReadsSlowlyButSteadilyIsNotGivenUp) {
    // A printer that takes 4 KiB every 5 ms (at most 800 KB/s) and acknowledges bytes all the
    // time. On loopback the system rarely holds room back long enough to show the fault this
    // guards (a simulator reading at a set rate does: see the hostile printer tests); the limit
    // leaves room for a peer thread held up on a busy machine.
    constexpr std::size_t total = 3 << 20;
    std::atomic<std::size_t> taken{0};
    LoopbackPeer peer([&](int fd) {
        char piece[4096];
        for (;;) {
            const ssize_t n = ::recv(fd, piece, sizeof piece, 0);
            if (n <= 0)
                return;
            taken += std::size_t(n);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    auto session = std::make_unique<EthernetSession>("127.0.0.1", static_cast<Port>(peer.port));
    ASSERT_TRUE(session->setWriteTimeout(500));
    // A send buffer of 2 MiB: "writable" again only once about 700 KB of it are free.
    const int large = 1 << 20;
    ::setsockopt(int(session->socketDescriptor()), SOL_SOCKET, SO_SNDBUF, &large, sizeof large);
    const std::string block(total, 'j');
    EXPECT_TRUE(session->write(block.data(), static_cast<int>(block.size())))
        << "failed after the printer took " << taken << " bytes";
    session.reset();
    peer.join();
    EXPECT_EQ(taken, total);
}

TEST(TcpTransport, TimeOutsReachTheSocketWheneverTheyChange) {
    LoopbackPeer peer([](int fd) { LoopbackPeer::waitForEof(fd); });
    EthernetSession session("127.0.0.1", static_cast<Port>(peer.port));
    ASSERT_TRUE(session.isOpen());
    // The kernel keeps time-outs in scheduler ticks, so a value may come back a few ms longer.
    const auto inForce = [&](int option) {
        timeval tv{};
        socklen_t length = sizeof tv;
        EXPECT_EQ(getsockopt(session.socketDescriptor(), SOL_SOCKET, option, &tv, &length), 0);
        return static_cast<double>(tv.tv_sec * 1000 + tv.tv_usec / 1000);
    };
    for (const std::uint32_t ms : {7000u, 7000u, 9000u, 250u, 7000u, 0u, 0u, 1500u}) {
        ASSERT_TRUE(session.setReadTimeout(ms));
        ASSERT_TRUE(session.setWriteTimeout(2 * ms));
        EXPECT_NEAR(inForce(SO_RCVTIMEO), ms, 20);
        EXPECT_NEAR(inForce(SO_SNDTIMEO), 2 * ms, 20);
    }
    EthernetSession closed("0.0.0.0", DefaultPort);
    EXPECT_FALSE(closed.setReadTimeout(0));
    EXPECT_FALSE(closed.setWriteTimeout(0));
}
