// kalyxsim.exe as a Windows user meets it: TCP only, and stopped with Ctrl+C from its console.
#include "SimProcess.h"

#include <gtest/gtest.h>

using namespace kalyxtest;

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
