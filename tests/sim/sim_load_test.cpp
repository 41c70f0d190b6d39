// The simulator under load, as hosts in their hundreds would load it: out of descriptors it
// rests instead of spinning, uploads held in memory stay under their cap, a host flooding it
// with requests delays no one, and after a soak its descriptors and memory return to where they
// were while a well-formed host was served throughout.
#include "RawClient.h"
#include "SimProcess.h"
#include "Waiting.h"
#include "WireFrame.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

using namespace kalyxtest;

namespace {

// CPU time the process has used, in milliseconds.
long long cpuMs(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    // Fields after the command name, which may hold spaces, start after the last ')'.
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    long long utime = 0, stime = 0;
    for (int i = 3; fields >> field; ++i) {
        if (i == 14)
            utime = std::stoll(field);
        if (i == 15) {
            stime = std::stoll(field);
            break;
        }
    }
    return (utime + stime) * 1000 / sysconf(_SC_CLK_TCK);
}

int openDescriptors(pid_t pid) {
    int count = 0;
    if (DIR* dir = ::opendir(("/proc/" + std::to_string(pid) + "/fd").c_str())) {
        while (const dirent* entry = ::readdir(dir))
            count += entry->d_name[0] != '.';
        ::closedir(dir);
    }
    return count;
}

// A "Vm..." line of /proc/PID/status in KiB.
long long memoryKb(pid_t pid, const std::string& key) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key + ":", 0) == 0)
            return std::stoll(line.substr(key.size() + 1));
    return -1;
}

// A connection made within a second (a simulator whose backlog is full never completes it).
std::unique_ptr<RawClient> connected(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    auto client = std::make_unique<RawClient>(fd);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        pollfd pfd{fd, POLLOUT, 0};
        int error = 0;
        socklen_t length = sizeof error;
        if (errno != EINPROGRESS || ::poll(&pfd, 1, 1000) != 1 ||
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
            return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return client;
}

// One request and its answer on a fresh connection; the time it took, -1 when none came.
long long probe(std::uint16_t port, int timeoutMs = 3000) {
    const auto start = Clock::now();
    const auto client = connected(port);
    Frame answer;
    if (!client || !client->send(request("<save/>")) || !client->receive(answer, timeoutMs) ||
        !answer.crcOk())
        return -1;
    return msSince(start);
}

// A request that announces `announced` payload bytes and sends `sent` of them.
std::string halfUpload(std::size_t announced, std::size_t sent) {
    std::string bytes = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><prn><update-software/>"
                        "<binary-size>" +
                        std::to_string(announced) + "</binary-size><time>0</time></prn>";
    bytes.push_back('\0');
    return bytes + std::string(sent, 'u');
}

} // namespace

TEST(SimulatorLoad, OutOfDescriptorsItRestsAndServesAgainAfterwards) {
    SimProcess sim({"--quiet"});
    ASSERT_TRUE(sim.started());
    const rlimit few{48, 48};
    ASSERT_EQ(::prlimit(sim.pid(), RLIMIT_NOFILE, &few, nullptr), 0);
    std::vector<std::unique_ptr<RawClient>> hogs;
    for (int i = 0; i < 80; ++i)
        if (auto client = connected(sim.port()))
            hogs.push_back(std::move(client));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const long long before = cpuMs(sim.pid());
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const long long used = cpuMs(sim.pid()) - before;
    EXPECT_LT(used, 300) << "the simulator spins at its descriptor limit";
    hogs.clear();
    EXPECT_TRUE(waitUntil([&] { return probe(sim.port()) >= 0; }, 5000));
    // Said once per episode: never twice without accepting again in between (a host that gave
    // up connecting on a loaded machine may free a descriptor and end an episode early).
    const std::string log = sim.log();
    EXPECT_NE(log.find("out of file descriptors"), std::string::npos) << log;
    bool atLimit = false;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        if (line.find("out of file descriptors") != std::string::npos) {
            EXPECT_FALSE(atLimit) << "said twice in one episode:\n" << log;
            atLimit = true;
        } else if (line.find("accepting connections again") != std::string::npos) {
            atLimit = false;
        }
    }
}

TEST(SimulatorLoad, UploadsHeldInMemoryStayUnderTheirCap) {
    SimProcess sim({"--quiet", "--max-buffered", std::to_string(8 << 20)});
    ASSERT_TRUE(sim.started());
    // Ten hosts each announce 100 MiB and stop after 2 MiB: 20 MiB would be held.
    std::vector<std::unique_ptr<RawClient>> uploads;
    for (int i = 0; i < 10; ++i) {
        auto client = connected(sim.port());
        ASSERT_TRUE(client);
        client->send(halfUpload(100 << 20, 2 << 20));
        uploads.push_back(std::move(client));
    }
    // A well-formed host is served all the same.
    EXPECT_GE(probe(sim.port()), 0);
    int closed = 0;
    for (auto& client : uploads)
        closed += client->closedByPeer(1000);
    EXPECT_GE(closed, 6) << sim.log();
    EXPECT_LE(closed, 7);
}

TEST(SimulatorLoad, AHostFloodingRequestsItNeverReadsDelaysNoOne) {
    // Reports of 64 MiB: each answer costs a checksum over all of it.
    SimProcess sim({"--quiet", "--report-size", std::to_string(64 << 20)});
    ASSERT_TRUE(sim.started());
    {
        // The report is made once, for the first request of it: not what is measured here.
        auto first = connected(sim.port());
        ASSERT_TRUE(first && first->send(request("<get-report/>")));
        ASSERT_GE(probe(sim.port(), 20000), 0);
    }
    auto flood = connected(sim.port());
    ASSERT_TRUE(flood);
    std::string requests;
    for (int i = 0; i < 2000; ++i)
        requests += request("<get-report/>");
    std::thread sender([&] { flood->send(requests); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    long long worst = 0;
    for (int i = 0; i < 5; ++i)
        worst = std::max(worst, probe(sim.port()));
    EXPECT_GE(worst, 0);
    EXPECT_LT(worst, 1000);
    // Answers waiting for a host to read them wait in poll(), not in a busy loop.
    const long long before = cpuMs(sim.pid());
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    EXPECT_LT(cpuMs(sim.pid()) - before, 200) << "ms of processor time in 1 s of waiting";
    flood->shutdownWrite();
    flood.reset(); // the sender's writes fail once the connection is gone
    sender.join();
}

TEST(SimulatorSoak, HundredsOfHostsForAFewSecondsLeaveNothingBehind) {
    SimProcess sim({"--quiet"});
    ASSERT_TRUE(sim.started());
    const pid_t pid = sim.pid();
    ASSERT_GE(probe(sim.port()), 0);
    const int descriptorsBefore = openDescriptors(pid);
    const long long memoryBefore = memoryKb(pid, "VmRSS");

    std::atomic<bool> soaking{true};
    std::atomic<int> probes{0}, failures{0};
    std::atomic<long long> worst{0};
    std::thread prober([&] {
        while (soaking) {
            const long long ms = probe(sim.port());
            ++probes;
            if (ms < 0)
                ++failures;
            worst = std::max<long long>(worst, ms);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });

    const auto until = Clock::now() + std::chrono::seconds(3);
    std::vector<std::unique_ptr<RawClient>> hosts;
    int rounds = 0;
    while (Clock::now() < until && rounds < 1000) {
        ++rounds;
        if (hosts.size() >= 300) // some leave, others come
            hosts.erase(hosts.begin(), hosts.begin() + 30);
        // Each round: idle hosts, half-sent uploads, unread floods, and hosts that come, ask
        // and go; 300 at once after the first second.
        for (int i = 0; i < 3 && hosts.size() < 300; ++i) {
            if (auto idle = connected(sim.port()))
                hosts.push_back(std::move(idle));
            if (auto upload = connected(sim.port())) {
                upload->send(halfUpload(64 << 20, 256 << 10));
                hosts.push_back(std::move(upload));
            }
            if (auto flood = connected(sim.port())) {
                std::string requests;
                for (int r = 0; r < 100; ++r)
                    requests += request("<get-report/>");
                flood->send(requests);
                hosts.push_back(std::move(flood));
            }
        }
        for (int i = 0; i < 5; ++i)
            probe(sim.port(), 1000);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const long long peakKb = memoryKb(pid, "VmHWM");
    const std::size_t atOnce = hosts.size();
    hosts.clear();
    soaking = false;
    prober.join();

    EXPECT_GT(probes, 20);
    EXPECT_EQ(failures, 0);
    EXPECT_LT(worst, 1000);
    EXPECT_TRUE(waitUntil([&] { return openDescriptors(pid) <= descriptorsBefore; }, 5000))
        << openDescriptors(pid) << " descriptors, " << descriptorsBefore << " before";
    // Memory freed goes back to the system but for small change. Under AddressSanitizer freed
    // blocks wait in its quarantine and stay resident, so only a plain build can tell; leaks
    // there are LeakSanitizer's to find.
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_TRUE(waitUntil([&] { return memoryKb(pid, "VmRSS") < memoryBefore + 32 * 1024; }, 5000))
        << memoryKb(pid, "VmRSS") << " KiB, " << memoryBefore << " KiB before";
#endif
    std::printf("[ figures  ] soak: %zu hosts at once, %d probes (worst %lld ms); simulator "
                "memory %lld KiB before, peak %lld KiB, %lld KiB after\n",
                atOnce, probes.load(), worst.load(), memoryBefore, peakKb, memoryKb(pid, "VmRSS"));
}
