// The file transport on Windows: the bytes land in the file exactly, nothing is ever read, and a
// file that cannot be created gives no printer.
#include <kalyxcomms/kalyxcomms.h>

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

std::string tempFile() {
    char folder[MAX_PATH], file[MAX_PATH];
    ::GetTempPathA(MAX_PATH, folder);
    ::GetTempFileNameA(folder, "kxf", 0, file);
    return file;
}

TEST(WindowsFile, BytesLandInTheFileAndNothingIsRead) {
    const std::string path = tempFile();
    {
        std::ofstream old(path, std::ios::binary);
        old << "old contents that must go";
    }
    std::string bytes(70000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 31 + (i >> 8)); // holds "\r\n" pairs and 0x1A bytes
    {
        auto printer = Orvane::Comms().getFilePrinter(path);
        ASSERT_TRUE(printer);
        EXPECT_TRUE(printer->write(bytes.data(), 50000));
        EXPECT_TRUE(printer->write(bytes.data() + 50000, 20000));
        EXPECT_TRUE(printer->write(bytes.data(), 0));
        std::string err;
        EXPECT_FALSE(printer->save(err)); // the request is written, no answer ever comes
    }
    std::ifstream in(path, std::ios::binary);
    const std::string written{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_GE(written.size(), bytes.size());
    EXPECT_TRUE(written.compare(0, bytes.size(), bytes) == 0);
    EXPECT_NE(written.find("<save", bytes.size()), std::string::npos);
    in.close();
    ::DeleteFileA(path.c_str());
}

TEST(WindowsFile, AFileThatCannotBeCreatedGivesNoPrinter) {
    EXPECT_FALSE(Orvane::Comms().getFilePrinter("C:\\no such folder\\job.prn"));
    EXPECT_FALSE(Orvane::Comms().getFilePrinter(""));
}

} // namespace
