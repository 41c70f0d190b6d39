// Ownership: moves, empty objects, and the size of what callers embed.
#include "ScriptedSession.h"
#include "TempDir.h"

#include <kalyxcomms/kalyxcomms.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <type_traits>

using namespace Orvane;
using namespace kalyxtest;

static_assert(sizeof(Comms) == 2 * sizeof(void*), "vtable pointer plus implementation");
static_assert(sizeof(Printer) == 2 * sizeof(void*), "vtable pointer plus implementation");
static_assert(!std::is_copy_constructible_v<Comms> && !std::is_copy_assignable_v<Comms>);
static_assert(!std::is_copy_constructible_v<Printer> && !std::is_copy_assignable_v<Printer>);
static_assert(std::is_nothrow_move_constructible_v<Printer> &&
              std::is_nothrow_move_assignable_v<Comms>);
static_assert(std::has_virtual_destructor_v<Comms> && std::has_virtual_destructor_v<Printer>);

TEST(Lifecycle, MovedFromCommsGivesNothingButStillTriesTheTransport) {
    TempDir dir;
    Comms first;
    Comms second(std::move(first));
    EXPECT_NE(second.getFilePrinter(dir.file("a.prn")), nullptr);

    EXPECT_EQ(first.getFilePrinter(dir.file("b.prn")), nullptr);
    EXPECT_TRUE(std::filesystem::exists(dir.file("b.prn")));
    EXPECT_EQ(first.getEthernetPrinter("127.0.0.1", DefaultPort), nullptr);
    EXPECT_EQ(first.getUsbPrinter("/dev/null"), nullptr);
    EXPECT_TRUE(first.getUsbPrinterInfos().empty());

    first = std::move(second);
    EXPECT_NE(first.getFilePrinter(dir.file("c.prn")), nullptr);
    EXPECT_EQ(second.getFilePrinter(dir.file("d.prn")), nullptr);
}

TEST(Lifecycle, EmptyPrinterTouchesNothing) {
    auto owned = std::make_unique<ScriptedSession>();
    ScriptedSession* session = owned.get();
    Printer printer(std::move(owned));
    Printer taker(std::move(printer));

    std::string err = "kept";
    CardPosition position = Source;
    MagData mag;
    mag.tracks[0] = {true};
    std::map<std::string, std::string> settings = {{"a", "1"}};
    std::vector<unsigned char> bytes = {1};
    EXPECT_FALSE(printer.write("x", 1));
    EXPECT_FALSE(printer.moveCard(Eject, position, err));
    EXPECT_FALSE(printer.forceError(CardJam, err));
    EXPECT_FALSE(printer.magRead({}, mag, err));
    EXPECT_FALSE(printer.readSettings(settings, err));
    EXPECT_FALSE(printer.getReport(bytes, err));
    EXPECT_FALSE(printer.printCardToMem({}, {}, {}, bytes));
    EXPECT_FALSE(printer.printCard({}, {}, {}));
    EXPECT_EQ(printer.lastFailure(), FailureReason::NotConnected);
    EXPECT_EQ(err, "kept");
    EXPECT_EQ(position, Source);
    EXPECT_EQ(mag.tracks[0].size(), 1u);
    EXPECT_EQ(settings.at("a"), "1");
    EXPECT_EQ(bytes, std::vector<unsigned char>{1});
    EXPECT_EQ(session->writeCalls, 0);

    EXPECT_TRUE(taker.write("x", 1));
    EXPECT_EQ(session->written, "x");
}

TEST(Lifecycle, MoveAssignmentClosesTheTransportItHeld) {
    bool firstClosed = false;
    bool secondClosed = false;
    auto first = std::make_unique<ScriptedSession>();
    first->destroyed = &firstClosed;
    auto second = std::make_unique<ScriptedSession>();
    second->destroyed = &secondClosed;

    Printer a(std::move(first));
    {
        Printer b(std::move(second));
        a = std::move(b);
        EXPECT_TRUE(firstClosed);
        EXPECT_FALSE(secondClosed);
    }
    EXPECT_FALSE(secondClosed) << "the moved-from printer does not own it any more";
    EXPECT_TRUE(a.write("", 0));
}

TEST(Lifecycle, APrinterWithoutTransportFailsInsteadOfCrashing) {
    std::unique_ptr<Session> none;
    Printer printer(std::move(none));
    std::string err;
    EXPECT_FALSE(printer.write("x", 1));
    EXPECT_FALSE(printer.save(err));
    EXPECT_FALSE(printer.printCard({}, {}, {}));
    EXPECT_EQ(printer.lastFailure(), FailureReason::NotConnected);
}
