// The TCP transport on WinSock: address refusals, socket time-outs, the close sequence, and
// printers that outlive their Comms. The command exchange over TCP is covered against the
// simulator (windows.sim.*).
#include "platform/TcpSocket.h"

#include <kalyxcomms/kalyxcomms.h>

#include <winsock2.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

using namespace std::chrono;
using Orvane::platform::TcpSocket;
using Orvane::platform::TransferStatus;

namespace {

long long msSince(steady_clock::time_point start) {
    return duration_cast<milliseconds>(steady_clock::now() - start).count();
}

// A listener on 127.0.0.1 that accepts one connection and holds it open.
class Listener {
public:
    Listener() {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
        sock = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
        int length = sizeof address;
        ::bind(sock, reinterpret_cast<sockaddr*>(&address), length);
        ::listen(sock, 4);
        ::getsockname(sock, reinterpret_cast<sockaddr*>(&address), &length);
        port = ::ntohs(address.sin_port);
    }
    ~Listener() {
        if (peer != INVALID_SOCKET)
            ::closesocket(peer);
        ::closesocket(sock);
        ::WSACleanup();
    }
    bool accept() {
        peer = ::accept(sock, nullptr, nullptr);
        return peer != INVALID_SOCKET;
    }

    SOCKET sock = INVALID_SOCKET;
    SOCKET peer = INVALID_SOCKET;
    std::uint16_t port = 0;
};

TEST(WindowsTcp, TextThatIsNoUsableAddressOpensNothing) {
    Orvane::Comms comms;
    for (const char* address : {"localhost", "", "0.0.0.0", "255.255.255.255", "127.0.0.1.5"})
        EXPECT_FALSE(comms.getEthernetPrinter(address, static_cast<Orvane::Port>(9100))) << address;
}

TEST(WindowsTcp, AClosedPortIsRefusedAtOnce) {
    std::uint16_t port;
    {
        Listener gone;
        port = gone.port;
    }
    const auto start = steady_clock::now();
    EXPECT_FALSE(Orvane::Comms().getEthernetPrinter("127.0.0.1", static_cast<Orvane::Port>(port)));
    EXPECT_LT(msSince(start), 5000);
}

// A time-out given to WinSock as anything but a DWORD of milliseconds reads as "no time-out";
// the late bytes would then end the receive instead of the time-out.
TEST(WindowsTcp, AReceiveTimesOutAfterItsMilliseconds) {
    Listener listener;
    std::unique_ptr<TcpSocket> socket = TcpSocket::connect("127.0.0.1", listener.port, 5000);
    ASSERT_TRUE(socket);
    ASSERT_TRUE(listener.accept());
    std::thread late([&] {
        std::this_thread::sleep_for(milliseconds(3000));
        ::send(listener.peer, "late", 4, 0);
    });
    ASSERT_TRUE(socket->setReceiveTimeout(300));
    char buffer[16];
    const auto start = steady_clock::now();
    const auto got = socket->receive(buffer, sizeof buffer);
    EXPECT_EQ(got.status, TransferStatus::TimedOut);
    EXPECT_GE(msSince(start), 280);
    EXPECT_LT(msSince(start), 2500);
    late.join();
    // The socket stays usable after a time-out.
    ASSERT_TRUE(socket->setReceiveTimeout(2000));
    EXPECT_TRUE(socket->receive(buffer, sizeof buffer).ok());
    ::closesocket(listener.peer);
    listener.peer = INVALID_SOCKET;
    EXPECT_EQ(socket->receive(buffer, sizeof buffer).status, TransferStatus::Closed);
    socket->close(0, 0);
}

TEST(WindowsTcp, ClosingWaitsForThePeerOnlyAsLongAsAllowed) {
    Listener listener;
    std::unique_ptr<TcpSocket> socket = TcpSocket::connect("127.0.0.1", listener.port, 5000);
    ASSERT_TRUE(socket);
    ASSERT_TRUE(listener.accept());
    auto start = steady_clock::now();
    // The peer never closes, but took what it was sent.
    EXPECT_EQ(socket->close(300, 300), TransferStatus::Done);
    EXPECT_GE(msSince(start), 250);
    EXPECT_LT(msSince(start), 2500);

    Listener second;
    socket = TcpSocket::connect("127.0.0.1", second.port, 5000);
    ASSERT_TRUE(socket);
    ASSERT_TRUE(second.accept());
    std::thread closer([&] {
        char c;
        ::recv(second.peer, &c, 1, 0); // the end of our sending side
        ::closesocket(second.peer);
        second.peer = INVALID_SOCKET;
    });
    start = steady_clock::now();
    EXPECT_EQ(socket->close(5000, 5000), TransferStatus::Done);
    EXPECT_LT(msSince(start), 2500);
    closer.join();
}

// Cleaning up the last WinSock reference of a process invalidates its sockets. The simulator that
// scripts/windows.sh started serves here: one from the broker would keep WinSock started itself.
TEST(WindowsTcp, APrinterOutlivesItsComms) {
    const char* port = std::getenv("KALYX_SIM_PORT");
    if (!port)
        GTEST_SKIP() << "KALYX_SIM_PORT names no running simulator";
    std::unique_ptr<Orvane::Printer> printer;
    {
        Orvane::Comms comms;
        printer = comms.getEthernetPrinter("127.0.0.1", static_cast<Orvane::Port>(std::atoi(port)));
        ASSERT_TRUE(printer);
    }
    std::map<std::string, std::string> ids{{"id-model-name", ""}};
    std::string err;
    EXPECT_TRUE(printer->readSettings(ids, err));
    EXPECT_EQ(ids["id-model-name"], "Kalyx K2");
}

} // namespace
