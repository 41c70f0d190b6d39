// kalyxsim.exe as a Windows user meets it: TCP only, stopped with Ctrl+C from its console, and
// asleep while it waits.
#include "SimProcess.h"
#include "WireFrame.h"

#include <gtest/gtest.h>

#include <winsock2.h>

#include <windows.h>

#include <cstdint>

using namespace kalyxtest;

namespace {

// A host on 127.0.0.1 speaking raw WinSock.
SOCKET connectTo(std::uint16_t port) {
    const SOCKET host = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    address.sin_port = ::htons(port);
    const DWORD waitMs = 10000;
    ::setsockopt(host, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&waitMs),
                 sizeof waitMs);
    if (::connect(host, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::closesocket(host);
        return INVALID_SOCKET;
    }
    return host;
}

// Sends one request and ends sending, as a host that has nothing more to say.
bool askAndStopSending(SOCKET host, const std::string& body) {
    const std::string bytes = request(body);
    return ::send(host, bytes.data(), int(bytes.size()), 0) == int(bytes.size()) &&
           ::shutdown(host, SD_SEND) == 0;
}

// How often the simulator's event loop has woken up, asked on a connection of its own.
long long wakeups(std::uint16_t port) {
    const SOCKET host = connectTo(port);
    std::string answer;
    if (host != INVALID_SOCKET &&
        askAndStopSending(host, "<get><param id=\"sim-wakeups\"/></get>")) {
        char buffer[4096];
        for (int n; (n = ::recv(host, buffer, sizeof buffer, 0)) > 0;)
            answer.append(buffer, std::size_t(n));
    }
    ::closesocket(host);
    const Frame frame(answer);
    return frame.parsed ? frame.prn()
                              .child("get-response")
                              .find_child_by_attribute("id", "sim-wakeups")
                              .text()
                              .as_llong(-1)
                        : -1;
}

} // namespace

TEST(KalyxsimExe, OffersTcpOnly) {
    std::string output;
    for (const std::vector<std::string>& options :
         {std::vector<std::string>{"--pty"}, {"--usb", "--", "cmd.exe"}}) {
        EXPECT_EQ(runSimulator(options, output), 2) << output;
        EXPECT_NE(output.find(options[0] + " is not available on Windows"), std::string::npos)
            << output;
    }
    ASSERT_EQ(runSimulator({"--help"}, output), 0);
    EXPECT_EQ(output.find("--pty"), std::string::npos) << output;
    EXPECT_EQ(output.find("--usb"), std::string::npos) << output;
    EXPECT_NE(output.find("Ctrl+C"), std::string::npos) << output;
}

// WinSock's WSAPoll reports a host's orderly close to every later wait on its socket, whatever
// the wait is for. Hosts that have finished sending and still wait for an answer, one whose
// answer is delayed and one that does not read its large answer, must leave the loop asleep.
TEST(KalyxsimExe, HostsThatFinishedSendingLeaveTheLoopAsleep) {
    SimProcess sim(
        {"--quiet", "--report-size", std::to_string(64 << 20), "--fault", "for=save,delay=1500"});
    ASSERT_TRUE(sim.started());
    WSADATA data{};
    ASSERT_EQ(::WSAStartup(MAKEWORD(2, 2), &data), 0);
    const SOCKET delayed = connectTo(sim.port());
    const SOCKET notReading = connectTo(sim.port());
    ASSERT_TRUE(askAndStopSending(notReading, "<get-report/>"));
    ::Sleep(500); // the report is made and fills what the connection can hold
    const long long before = wakeups(sim.port());
    ASSERT_TRUE(askAndStopSending(delayed, "<save/>"));
    std::string answer;
    char buffer[4096];
    for (int n; (n = ::recv(delayed, buffer, sizeof buffer, 0)) > 0;)
        answer.append(buffer, std::size_t(n));
    const long long after = wakeups(sim.port());
    for (SOCKET host : {delayed, notReading})
        ::closesocket(host);
    ::WSACleanup();

    EXPECT_TRUE(Frame(answer).complete) << "the delayed answer, " << answer.size() << " bytes";
    ASSERT_GE(before, 0);
    EXPECT_LT(after - before, 50) << "wake-ups in the 1.5 s the answer waited";
    EXPECT_EQ(sim.stop(), 0) << sim.log();
}
