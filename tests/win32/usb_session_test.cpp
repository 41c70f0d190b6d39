// The USB transport over overlapped I/O, against a named pipe that the test serves as the printer.
#include "PipePrinter.h"

#include "transport/UsbSession.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

using namespace std::chrono;
using Orvane::UsbSession;
using wintest::PipeEnd;

namespace {

long long msSince(steady_clock::time_point start) {
    return duration_cast<milliseconds>(steady_clock::now() - start).count();
}

class UsbSessionTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(printer.valid()); }

    // Opens the transport and waits for the printer's end to see it.
    std::unique_ptr<UsbSession> open() {
        auto session = std::make_unique<UsbSession>(printer.path());
        EXPECT_TRUE(session->isOpen());
        EXPECT_TRUE(printer.waitConnected(2000));
        return session;
    }

    PipeEnd printer{wintest::uniquePipePath("usb"), 64 * 1024};
};

TEST_F(UsbSessionTest, PathsThatAreNoDeviceGiveAClosedTransport) {
    char file[MAX_PATH];
    char folder[MAX_PATH];
    ASSERT_NE(::GetTempPathA(MAX_PATH, folder), 0u);
    ASSERT_NE(::GetTempFileNameA(folder, "kx", 0, file), 0u);
    for (const std::string& path :
         {std::string("\\\\?\\usb#vid_5e2a&pid_0001#gone#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}"),
          std::string(file), std::string()}) {
        UsbSession session(path);
        char c = 0;
        EXPECT_FALSE(session.isOpen()) << path;
        EXPECT_FALSE(session.read(&c, 1)) << path;
        EXPECT_FALSE(session.write("x", 1)) << path;
        EXPECT_FALSE(session.write("x", 0)) << path;
    }
    ::DeleteFileA(file);
}

TEST_F(UsbSessionTest, InputWaitingAtOpenIsDiscarded) {
    auto device = Orvane::platform::UsbDevice::open(printer.path());
    ASSERT_TRUE(device);
    ASSERT_TRUE(printer.waitConnected(2000));
    ASSERT_TRUE(printer.send(std::string(6000, 's')));
    UsbSession session(std::move(device));
    ASSERT_TRUE(session.isOpen());
    session.setReadTimeout(1000);
    ASSERT_TRUE(printer.send("fresh"));
    char got[5];
    ASSERT_TRUE(session.read(got, 5));
    EXPECT_EQ(std::string(got, 5), "fresh");
}

TEST_F(UsbSessionTest, OneDeviceReadServesLaterReads) {
    auto session = open();
    std::string sent;
    for (int i = 0; i < 100; ++i)
        sent.push_back(static_cast<char>('A' + i % 26));
    ASSERT_TRUE(printer.send(sent));
    session->setReadTimeout(1000);
    std::string got(1, '\0');
    ASSERT_TRUE(session->read(&got[0], 1));
    // With no waiting allowed, only the read-ahead can supply the rest.
    session->setReadTimeout(0);
    for (int i = 1; i < 100; ++i) {
        char c;
        ASSERT_TRUE(session->read(&c, 1)) << "byte " << i;
        got.push_back(c);
    }
    EXPECT_EQ(got, sent);
    char c;
    EXPECT_FALSE(session->read(&c, 1));
}

// The read that timed out is cancelled; bytes sent afterwards reach the next read whole.
TEST_F(UsbSessionTest, ReadTimesOutWithoutLosingLaterBytes) {
    auto session = open();
    session->setReadTimeout(200);
    char got[3];
    for (int round = 0; round < 3; ++round) {
        const auto start = steady_clock::now();
        EXPECT_FALSE(session->read(got, 3));
        EXPECT_GE(msSince(start), 190);
        EXPECT_LT(msSince(start), 2000);
        EXPECT_TRUE(session->isOpen());
    }
    ASSERT_TRUE(printer.send("abc"));
    ASSERT_TRUE(session->read(got, 3));
    EXPECT_EQ(std::string(got, 3), "abc");
}

TEST_F(UsbSessionTest, LargeWriteArrivesIntact) {
    const std::size_t size = 10000000;
    std::string job(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        job[i] = static_cast<char>((i * 7919) >> 5);
    auto session = open();
    std::string received;
    std::thread reader([&] { received = printer.receiveExactly(size, 20000); });
    session->setWriteTimeout(10000);
    EXPECT_TRUE(session->write(job.data(), static_cast<int>(size)));
    reader.join();
    ASSERT_EQ(received.size(), size);
    EXPECT_TRUE(received == job);
}

TEST_F(UsbSessionTest, APrinterThatStopsReadingFailsTheWriteWithinItsTimeOut) {
    auto session = open();
    session->setWriteTimeout(300);
    const std::string job(4u << 20, 'j');
    const auto start = steady_clock::now();
    EXPECT_FALSE(session->write(job.data(), static_cast<int>(job.size())));
    EXPECT_GE(msSince(start), 290);
    EXPECT_LT(msSince(start), 3000);
    EXPECT_TRUE(session->isOpen());
    // Once the printer reads again the transport carries on.
    std::thread reader([&] { printer.receive(8u << 20, 2000); });
    session->setWriteTimeout(5000);
    EXPECT_TRUE(session->write("ok", 2));
    reader.join();
}

TEST_F(UsbSessionTest, ZeroLengthTransfersTouchNothing) {
    auto session = open();
    session->setReadTimeout(0);
    EXPECT_TRUE(session->write("", 0));
    EXPECT_TRUE(session->read(nullptr, 0));
    EXPECT_EQ(printer.receive(16, 100), "");
}

TEST_F(UsbSessionTest, APrinterThatIsGoneFailsAtOnce) {
    auto session = open();
    printer.close();
    session->setReadTimeout(5000);
    session->setWriteTimeout(5000);
    char c;
    const auto start = steady_clock::now();
    EXPECT_FALSE(session->read(&c, 1));
    EXPECT_FALSE(session->write("x", 1));
    EXPECT_LT(msSince(start), 2000);
}

// The transport turns these into the reason a Printer reports for its last failure.
TEST_F(UsbSessionTest, TransfersSayHowTheyEnded) {
    auto device = Orvane::platform::UsbDevice::open(printer.path());
    ASSERT_TRUE(device);
    ASSERT_TRUE(printer.waitConnected(2000));
    char buffer[16];
    using Orvane::platform::TransferStatus;
    EXPECT_EQ(device->read(buffer, sizeof buffer, 100).status, TransferStatus::TimedOut);
    ASSERT_TRUE(printer.send("ab"));
    const auto got = device->read(buffer, sizeof buffer, 1000);
    EXPECT_EQ(got.status, TransferStatus::Done);
    EXPECT_EQ(got.count, 2u);
    printer.close();
    EXPECT_EQ(device->read(buffer, sizeof buffer, 1000).status, TransferStatus::Closed);
    EXPECT_EQ(device->write("x", 1, 1000).status, TransferStatus::Closed);
}

} // namespace
