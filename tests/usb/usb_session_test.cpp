#include "Testbed.h"

#include "FdIo.h"
#include "Waiting.h"

#include "transport/UsbSession.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <poll.h>
#include <unistd.h>

using namespace std::chrono;
using kalyxtest::msSince;
using kalyxtest::writeAll;
using Orvane::UsbSession;

namespace {

// Bytes arrive at the device node a moment after the far end writes them.
void settle() {
    std::this_thread::sleep_for(milliseconds(50));
}

class UsbSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        FakeUsbDevice device;
        device.number = unusedDeviceNumber();
        setUsbDevices({device});
        lp0 = "/dev/usb/lp" + std::to_string(device.number);
        printer = printerEnd(device.number);
        ASSERT_GE(printer, 0);
        drainPrinterEnd(printer);
    }

    std::string lp0;
    int printer = -1;
};

TEST_F(UsbSessionTest, PathsThatAreNoDeviceGiveAClosedTransport) {
    char tmpl[] = "/tmp/usbsessionXXXXXX";
    const int fd = ::mkstemp(tmpl);
    ASSERT_GE(fd, 0);
    ::close(fd);
    for (const std::string& path :
         {std::string("/dev/usb/lp99"), std::string(tmpl), std::string()}) {
        UsbSession session(path);
        char c = 0;
        EXPECT_FALSE(session.isOpen()) << path;
        EXPECT_FALSE(session.read(&c, 1)) << path;
        EXPECT_FALSE(session.write("x", 1)) << path;
        EXPECT_FALSE(session.write("x", 0)) << path;
    }
    ::unlink(tmpl);
}

TEST_F(UsbSessionTest, InputWaitingAtOpenIsDiscarded) {
    ASSERT_TRUE(writeAll(printer, std::string(2000, 's')));
    settle();
    UsbSession session(lp0);
    ASSERT_TRUE(session.isOpen());
    session.setReadTimeout(1000);
    ASSERT_TRUE(writeAll(printer, "fresh"));
    char got[5];
    ASSERT_TRUE(session.read(got, 5));
    EXPECT_EQ(std::string(got, 5), "fresh");
}

TEST_F(UsbSessionTest, OneDeviceReadServesLaterReads) {
    UsbSession session(lp0);
    std::string sent;
    for (int i = 0; i < 100; ++i)
        sent.push_back(static_cast<char>('A' + i % 26));
    ASSERT_TRUE(writeAll(printer, sent));
    settle();
    session.setReadTimeout(1000);
    std::string got(1, '\0');
    ASSERT_TRUE(session.read(&got[0], 1));
    // With no waiting allowed, only the read-ahead can supply the rest.
    session.setReadTimeout(0);
    for (int i = 1; i < 100; ++i) {
        char c;
        ASSERT_TRUE(session.read(&c, 1)) << "byte " << i;
        got.push_back(c);
    }
    EXPECT_EQ(got, sent);
    char c;
    EXPECT_FALSE(session.read(&c, 1));
}

TEST_F(UsbSessionTest, ReadTimesOutAndTheTransportStaysUsable) {
    UsbSession session(lp0);
    session.setReadTimeout(200);
    char got[3];
    const auto start = steady_clock::now();
    EXPECT_FALSE(session.read(got, 3));
    EXPECT_GE(msSince(start), 190);
    EXPECT_LT(msSince(start), 2000);
    EXPECT_EQ(session.lastTransferFailure(), Orvane::FailureReason::ReadTimedOut);
    EXPECT_TRUE(session.isOpen());

    ASSERT_TRUE(writeAll(printer, "abc"));
    EXPECT_TRUE(session.read(got, 3));
    EXPECT_EQ(std::string(got, 3), "abc");
}

TEST_F(UsbSessionTest, LargeWriteArrivesIntact) {
    const std::size_t size = 10000000;
    std::string job(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        job[i] = static_cast<char>((i * 7919) >> 5);

    std::string received;
    std::atomic<bool> done{false};
    std::thread reader([&] {
        std::vector<char> chunk(65536);
        while (received.size() < size && !done) {
            pollfd p{printer, POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0)
                continue;
            if (!(p.revents & POLLIN)) {
                std::this_thread::sleep_for(milliseconds(2));
                continue;
            }
            const ssize_t n = ::read(printer, chunk.data(), chunk.size());
            if (n > 0)
                received.append(chunk.data(), static_cast<std::size_t>(n));
        }
    });
    UsbSession session(lp0);
    session.setWriteTimeout(10000);
    const bool written = session.write(job.data(), static_cast<int>(size));
    // Give the reader time to take the tail, then stop it either way.
    const auto start = steady_clock::now();
    while (received.size() < size && msSince(start) < 10000)
        std::this_thread::sleep_for(milliseconds(5));
    done = true;
    reader.join();
    EXPECT_TRUE(written);
    ASSERT_EQ(received.size(), size);
    EXPECT_TRUE(received == job);
}

TEST_F(UsbSessionTest, WriteGivesUpWhenThePrinterStopsReading) {
    UsbSession session(lp0);
    session.setWriteTimeout(300);
    const std::string job(1000000, 'j');
    const auto start = steady_clock::now();
    EXPECT_FALSE(session.write(job.data(), static_cast<int>(job.size())));
    EXPECT_GE(msSince(start), 290);
    EXPECT_LT(msSince(start), 3000);
    EXPECT_EQ(session.lastTransferFailure(), Orvane::FailureReason::WriteTimedOut);

    // Once the printer reads again, the same transport carries the next write.
    drainPrinterEnd(printer);
    EXPECT_TRUE(session.write("next", 4));
}

TEST_F(UsbSessionTest, ZeroLengthTransfersAskForNothing) {
    UsbSession session(lp0);
    ASSERT_TRUE(writeAll(printer, "kept"));
    settle();
    session.setReadTimeout(1000);
    EXPECT_TRUE(session.read(nullptr, 0));
    EXPECT_TRUE(session.write(nullptr, 0));
    char got[4];
    ASSERT_TRUE(session.read(got, 4));
    EXPECT_EQ(std::string(got, 4), "kept");
    pollfd p{printer, POLLIN, 0};
    EXPECT_EQ(::poll(&p, 1, 50), 0) << "a zero-length write reached the printer";

    EXPECT_FALSE(session.read(got, -1));
    EXPECT_FALSE(session.write("x", -1));
}

} // namespace

namespace {

// A device that records what the transport asks of it; its answers are scripted per test.
class ScriptedDevice : public Orvane::platform::UsbDevice {
public:
    using Transfer = Orvane::platform::Transfer;
    using Status = Orvane::platform::TransferStatus;
    static Status doneWhile(bool going) { return going ? Status::Done : Status::Failed; }

    struct Log {
        std::vector<std::size_t> reads, writes;
        long readCount = 0;
        int waits = 0;
    };
    explicit ScriptedDevice(Log& log) : log(log) {}

    Transfer read(char*, std::size_t size, std::uint32_t) override {
        ++log.readCount;
        if (endlessInput)
            return {doneWhile(log.readCount < 100000000), size};
        log.reads.push_back(size);
        // Fails in the end, so that a transport without a bound still returns.
        return {doneWhile(log.reads.size() < 1000), 0};
    }
    Transfer write(const char*, std::size_t size, std::uint32_t) override {
        log.writes.push_back(size);
        if (emptyWrites)
            return {doneWhile(log.writes.size() < 1000), 0};
        return {Status::Done, partialWrites ? size / 2 + 1 : size};
    }
    Status waitWritten(std::uint32_t) override {
        ++log.waits;
        return lastTransferCompletes ? Status::Done : Status::TimedOut;
    }

    bool endlessInput = false;
    bool emptyWrites = false;
    bool partialWrites = false;
    bool lastTransferCompletes = true;

private:
    Log& log;
};

TEST(UsbSessionScripted, LargeWritesGoOutInChunksAndWaitForTheLast) {
    ScriptedDevice::Log log;
    std::vector<char> job(10000000, 'x');
    {
        UsbSession session(std::make_unique<ScriptedDevice>(log));
        ASSERT_TRUE(session.write(job.data(), static_cast<int>(job.size())));
    }
    EXPECT_EQ(log.writes, (std::vector<std::size_t>{4194304, 4194304, 1611392}));
    EXPECT_EQ(log.waits, 1);

    // A device that takes part of a chunk is given the rest.
    ScriptedDevice::Log partial;
    auto device = std::make_unique<ScriptedDevice>(partial);
    device->partialWrites = true;
    UsbSession session(std::move(device));
    ASSERT_TRUE(session.write(job.data(), 10));
    EXPECT_EQ(partial.writes, (std::vector<std::size_t>{10, 4, 1}));
}

TEST(UsbSessionScripted, OpeningEndsWhileThePrinterKeepsTalking) {
    ScriptedDevice::Log log;
    auto device = std::make_unique<ScriptedDevice>(log);
    device->endlessInput = true;
    const auto start = steady_clock::now();
    UsbSession session(std::move(device));
    EXPECT_TRUE(session.isOpen());
    EXPECT_LT(msSince(start), 5000);
}

TEST(UsbSessionScripted, UnfinishedLastTransferFailsTheWrite) {
    ScriptedDevice::Log log;
    auto device = std::make_unique<ScriptedDevice>(log);
    device->lastTransferCompletes = false;
    UsbSession session(std::move(device));
    EXPECT_FALSE(session.write("abc", 3));
}

TEST(UsbSessionScripted, TransfersThatMoveNothingAreNotRepeatedForEver) {
    ScriptedDevice::Log log;
    auto device = std::make_unique<ScriptedDevice>(log);
    device->emptyWrites = true;
    UsbSession session(std::move(device));
    const std::size_t readsAtOpen = log.reads.size();
    EXPECT_LE(readsAtOpen, std::size_t(UsbSession::maxEmptyTransfers + 1));

    char c;
    EXPECT_FALSE(session.read(&c, 1));
    EXPECT_LE(log.reads.size() - readsAtOpen, std::size_t(UsbSession::maxEmptyTransfers + 1));
    EXPECT_FALSE(session.write("abc", 3));
    EXPECT_LE(log.writes.size(), std::size_t(UsbSession::maxEmptyTransfers + 1));
    EXPECT_EQ(log.waits, 0);
}

} // namespace
