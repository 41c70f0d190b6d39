// Discovery end to end under wine: fake USB printing-class devices staged in the prefix, their
// interface paths leading to pipes that the test serves as printers.
#include "PipePrinter.h"
#include "StagedUsbPrinter.h"

#include <kalyxcomms/Comms.h>

#include <gtest/gtest.h>

#include <chrono>

using Orvane::Comms;
using wintest::PipePrinter;
using wintest::StagedUsbPrinter;

namespace {

std::string pipeFor(const std::string& serial) {
    return wintest::uniquePipePath(serial);
}

TEST(WindowsDiscovery, NothingPresentListsNothing) {
    EXPECT_TRUE(Comms().getUsbPrinterInfos().empty());
}

TEST(WindowsDiscovery, FindsThePrintersOfTheFamilyWithTheirIds) {
    PipePrinter first(pipeFor("a1"), wintest::identity("A1"));
    PipePrinter second(pipeFor("b2"), {{"id-manufacturer", "Kalyx"}, {"id-printer-serial", "B2"}});
    PipePrinter other(pipeFor("c3"), wintest::identity("C3"));
    StagedUsbPrinter a("USB\\VID_5E2A&PID_0001\\A1", first.path());
    StagedUsbPrinter b("USB\\VID_5E2A&PID_0002\\B2", second.path());
    StagedUsbPrinter c("USB\\VID_04B8&PID_0005\\C3", other.path());
    ASSERT_TRUE(a.ok()) << a.problem();
    ASSERT_TRUE(b.ok()) << b.problem();
    ASSERT_TRUE(c.ok()) << c.problem();
    EXPECT_EQ(a.interfacePath().rfind("\\\\?\\usb#vid_5e2a&pid_0001#a1#{28d78fad-", 0), 0u)
        << a.interfacePath();

    const std::vector<Orvane::UsbPrinterInfo> infos = Comms().getUsbPrinterInfos();
    ASSERT_EQ(infos.size(), 2u);
    EXPECT_EQ(infos[0].description, "Kalyx K9 (A1)");
    EXPECT_EQ(infos[0].devicePath, a.interfacePath());
    // wine has no location paths for any device.
    EXPECT_EQ(infos[0].location, "");
    // A printer that does not know its model leaves that part empty.
    EXPECT_EQ(infos[1].description, "Kalyx  (B2)");
    EXPECT_EQ(infos[1].devicePath, b.interfacePath());

    EXPECT_EQ(other.opens(), 0) << "another vendor's printer was opened";
    ASSERT_EQ(first.requests().size(), 1u);
    for (const char* key : {"id-manufacturer", "id-model-name", "id-printer-serial"})
        EXPECT_NE(first.requests()[0].find(std::string("<param id=\"") + key + "\"/>"),
                  std::string::npos)
            << first.requests()[0];

    // The reported path opens the same printer again.
    ASSERT_TRUE(first.waitIdle(1, 2000));
    EXPECT_TRUE(Comms().getUsbPrinter(infos[0].devicePath));
}

TEST(WindowsDiscovery, PrintersThatCannotBeOpenedOrDoNotAnswerAreSkipped) {
    PipePrinter silent(pipeFor("d4"), wintest::identity("D4"), PipePrinter::Reply::Silent);
    PipePrinter garbled(pipeFor("e5"), wintest::identity("E5"), PipePrinter::Reply::BadCrc);
    PipePrinter good(pipeFor("f6"), wintest::identity("F6"));
    StagedUsbPrinter unopenable("USB\\VID_5E2A&PID_0001\\C0", "");
    StagedUsbPrinter d("USB\\VID_5E2A&PID_0001\\D4", silent.path());
    StagedUsbPrinter e("USB\\VID_5E2A&PID_0001\\E5", garbled.path());
    StagedUsbPrinter f("USB\\VID_5E2A&PID_0001\\F6", good.path());
    for (const StagedUsbPrinter* staged : {&unopenable, &d, &e, &f})
        ASSERT_TRUE(staged->ok()) << staged->problem();

    const std::vector<Orvane::UsbPrinterInfo> infos = Comms().getUsbPrinterInfos();
    ASSERT_EQ(infos.size(), 1u);
    EXPECT_EQ(infos[0].description, "Kalyx K9 (F6)");
    EXPECT_EQ(silent.requests().size(), 1u);
    EXPECT_EQ(garbled.requests().size(), 1u);
}

TEST(WindowsDiscovery, AMovedFromCommsListsNothing) {
    PipePrinter printer(pipeFor("g7"), wintest::identity("G7"));
    StagedUsbPrinter g("USB\\VID_5E2A&PID_0001\\G7", printer.path());
    ASSERT_TRUE(g.ok()) << g.problem();
    Comms comms;
    Comms taker(std::move(comms));
    EXPECT_EQ(taker.getUsbPrinterInfos().size(), 1u);
    ASSERT_TRUE(printer.waitIdle(1, 2000));
    // The emptied Comms may still open the device, as its factory does, but asks nothing.
    EXPECT_TRUE(comms.getUsbPrinterInfos().empty());
    EXPECT_FALSE(comms.getUsbPrinter(g.interfacePath()));
    EXPECT_EQ(printer.requests().size(), 1u);
}

} // namespace
