// The file transport and a printer writing into a file.
#include "TempDir.h"
#include "WireFrame.h"

#include "transport/FileSession.h"

#include <kalyxcomms/Comms.h>

#include <gtest/gtest.h>

#include <fstream>

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

TEST(FileTransport, UncreatableFilesGiveNoPrinter) {
    TempDir dir;
    Comms comms;
    EXPECT_EQ(comms.getFilePrinter(dir.file("missing/dir/job.prn")), nullptr);
    EXPECT_EQ(comms.getFilePrinter(dir.path()), nullptr);
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
