// The file transport and a printer writing into a file.
#include "TempDir.h"
#include "WireFrame.h"

#include "transport/FileSession.h"

#include <kalyxcomms/Comms.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Orvane;
using namespace kalyxtest;

TEST(FileTransport, WritesEveryByteInOrderAndNeverReads) {
    TempDir dir;
    const std::string path = dir.file("capture.prn");
    {
        std::ofstream(path) << "old contents that must go";
        FileSession session(path);
        ASSERT_TRUE(session.isOpen());
        EXPECT_TRUE(session.write("ab\0c", 4));
        EXPECT_TRUE(session.write("", 0));
        EXPECT_TRUE(session.write("d", 1));
        EXPECT_FALSE(session.write(nullptr, 3));
        EXPECT_FALSE(session.write("e", -1));
        EXPECT_EQ(fileContents(path), std::string("ab\0cd", 5)) << "on disk before closing";
        char c;
        EXPECT_FALSE(session.read(&c, 1));
        EXPECT_FALSE(session.read(&c, 0));
        EXPECT_TRUE(session.setReadTimeout(1));
        EXPECT_TRUE(session.setWriteTimeout(1));
    }
    EXPECT_EQ(fileContents(path), std::string("ab\0cd", 5));
}

TEST(FileTransport, AFullDiskFailsTheWrite) {
    FileSession session("/dev/full");
    ASSERT_TRUE(session.isOpen());
    EXPECT_FALSE(session.write("x", 1));
    EXPECT_EQ(session.lastTransferFailure(), FailureReason::WriteFailed);
}

// Nothing that takes no bytes may hold a write beyond its time-out, nor end the program.
TEST(FileTransport, AFifoThatIsNotReadFailsWithinTheTimeout) {
    enum class Reader { None, NeverReads, GoneAway };
    const struct {
        const char* name;
        Reader reader;
        FailureReason expected;
    } cases[] = {
        {"nobody opens it", Reader::None, FailureReason::WriteTimedOut},
        {"opened but never read", Reader::NeverReads, FailureReason::WriteTimedOut},
        {"reader closed after opening", Reader::GoneAway, FailureReason::ConnectionClosed},
    };
    const std::string job(1 << 20, 'j'); // far more than a pipe holds
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.file("fifo");
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        FileSession session(path);
        ASSERT_TRUE(session.isOpen()) << "a FIFO without a reader yet is a target";
        const int reader =
            c.reader == Reader::None ? -1 : ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
        ASSERT_TRUE(c.reader == Reader::None || reader >= 0);
        ASSERT_TRUE(session.setWriteTimeout(200));
        if (c.reader == Reader::GoneAway) {
            ASSERT_TRUE(session.write("x", 1)); // opens the FIFO while its reader is there
            ::close(reader);
        }
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(session.write(job.data(), int(job.size())));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
        EXPECT_EQ(session.lastTransferFailure(), c.expected);
        if (c.reader == Reader::NeverReads) {
            EXPECT_GT(session.lastWriteCount(), 0u) << "what the pipe took is counted";
        }
        EXPECT_LT(session.lastWriteCount(), job.size());
        if (c.reader == Reader::NeverReads)
            ::close(reader);
    }
}

TEST(FileTransport, AFifoReaderThatArrivesLaterGetsEveryByte) {
    TempDir dir;
    const std::string path = dir.file("fifo");
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    FileSession session(path);
    ASSERT_TRUE(session.setWriteTimeout(10000));
    std::string got;
    std::thread reader([&] { got = fileContents(path); });
    const std::string job(300000, 'q');
    EXPECT_TRUE(session.write(job.data(), int(job.size())));
    EXPECT_TRUE(session.finish());
    reader.join();
    EXPECT_EQ(got, job);
}

TEST(FileTransport, UncreatableFilesGiveNoPrinter) {
    TempDir dir;
    Comms comms;
    EXPECT_EQ(comms.getFilePrinter(dir.file("missing/dir/job.prn")), nullptr);
    EXPECT_EQ(comms.getFilePrinter(dir.path()), nullptr);
    // A socket file can never be written as a stream.
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = dir.file("sock");
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(comms.getFilePrinter(socketPath), nullptr);
    ::close(listener);
}

TEST(FilePrinter, CommandsWriteTheirWholeRequestThenFail) {
    TempDir dir;
    const std::string path = dir.file("requests.bin");
    Comms comms;
    auto printer = comms.getFilePrinter(path);
    ASSERT_NE(printer, nullptr);
    std::map<std::string, std::string> settings = {{"a", "1"}};
    std::string err = "kept";
    EXPECT_FALSE(printer->writeSettings(settings, err));
    EXPECT_EQ(printer->lastFailure(), FailureReason::ReadFailed) << "a file cannot answer";
    EXPECT_EQ(err, "kept");
    const Frame request(fileContents(path));
    EXPECT_TRUE(request.crcOk());
    EXPECT_EQ(request.prn().child("set").child("param").text().as_string(), std::string("1"));
}
