#include "Testbed.h"

#include "FakePrinter.h"

#include <kalyxcomms/Comms.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using kalyxtest::FakePrinter;
using kalyxtest::identity;
using Orvane::Comms;
using Orvane::UsbPrinterInfo;

namespace {

TEST(UsbDiscovery, NothingAttachedListsNothing) {
    attachUsbDevices({});
    EXPECT_TRUE(Comms().getUsbPrinterInfos().empty());
}

TEST(UsbDiscovery, ListsPrintersOfTheFamilyInDeviceOrder) {
    // lp10 before lp2 in text order; lp3 belongs to another vendor.
    attachUsbDevices({fakeUsbDevice(10, "B-10", "1-3"), fakeUsbDevice(3, "C-3", "1-4", "04b8"),
                      fakeUsbDevice(2, "A-2", "1-2.4")});
    FakePrinter second(printerEnd(10), identity("B-10"));
    FakePrinter other(printerEnd(3), identity("C-3"));
    FakePrinter first(printerEnd(2), identity("A-2"));

    const std::vector<UsbPrinterInfo> infos = Comms().getUsbPrinterInfos();
    ASSERT_EQ(infos.size(), 2u);
    EXPECT_EQ(infos[0].description, "Kalyx K9 (A-2)");
    EXPECT_EQ(infos[0].location, "1-2.4");
    EXPECT_EQ(infos[0].devicePath, "/dev/usb/lp2");
    EXPECT_EQ(infos[1].description, "Kalyx K9 (B-10)");
    EXPECT_EQ(infos[1].location, "1-3");
    EXPECT_EQ(infos[1].devicePath, "/dev/usb/lp10");

    EXPECT_TRUE(other.requests().empty()) << "another vendor's printer was asked";
    // Each listed printer was asked once, for exactly the three identity settings.
    ASSERT_EQ(first.requests().size(), 1u);
    const std::string request = first.requests()[0];
    for (const char* key : {"id-manufacturer", "id-model-name", "id-printer-serial"})
        EXPECT_NE(request.find(std::string("<param id=\"") + key + "\"/>"), std::string::npos)
            << request;
}

TEST(UsbDiscovery, PrintersWithoutAUsableAnswerAreLeftOut) {
    attachUsbDevices({fakeUsbDevice(4, "SILENT", "1-1"), fakeUsbDevice(5, "BAD", "1-2"),
                      fakeUsbDevice(6, "GOOD", "1-3")});
    FakePrinter silent(printerEnd(4), identity("SILENT"), FakePrinter::Reply::Silent);
    FakePrinter garbled(printerEnd(5), identity("BAD"), FakePrinter::Reply::BadCrc);
    FakePrinter good(printerEnd(6), identity("GOOD"));

    const std::vector<UsbPrinterInfo> infos = Comms().getUsbPrinterInfos();
    ASSERT_EQ(infos.size(), 1u);
    EXPECT_EQ(infos[0].description, "Kalyx K9 (GOOD)");
    EXPECT_EQ(silent.requests().size(), 1u);
    EXPECT_EQ(garbled.requests().size(), 1u);
}

TEST(UsbDiscovery, MissingSettingsLeaveTheirPartEmpty) {
    attachUsbDevices({fakeUsbDevice(7, "SN7", "1-2")});
    FakePrinter printer(printerEnd(7),
                        {{"id-manufacturer", "Kalyx"}, {"id-printer-serial", "SN7"}});
    const std::vector<UsbPrinterInfo> infos = Comms().getUsbPrinterInfos();
    ASSERT_EQ(infos.size(), 1u);
    EXPECT_EQ(infos[0].description, "Kalyx  (SN7)");
}

TEST(UsbDiscovery, FactoryOpensDevicesOnlyForALiveComms) {
    attachUsbDevices({fakeUsbDevice(8, "SN1", "1-2")});
    FakePrinter printer(printerEnd(8), identity("SN1"));
    Comms comms;
    EXPECT_TRUE(comms.getUsbPrinter("/dev/usb/lp8"));
    EXPECT_FALSE(comms.getUsbPrinter("/dev/usb/lp9"));

    Comms taker(std::move(comms));
    EXPECT_FALSE(comms.getUsbPrinter("/dev/usb/lp8"));
    EXPECT_TRUE(comms.getUsbPrinterInfos().empty());
    EXPECT_TRUE(printer.requests().empty());
    EXPECT_EQ(taker.getUsbPrinterInfos().size(), 1u);
}

} // namespace
