// Every printer command of the library against the simulator over TCP: answers, refusals, the
// faults a printer can commit, time-outs, card jobs, and the USB transport over the pty.
#include "SimProcess.h"
#include "TempDir.h"
#include "WireFrame.h"

#include <prnformat/Crc32.h>

#include <kalyxcomms/kalyxcomms.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

using namespace kalyxtest;
using Clock = std::chrono::steady_clock;
using Settings = std::map<std::string, std::string>;

namespace {

class Commands : public ::testing::Test {
protected:
    void SetUp() override { start(); }

    // A simulator that crashed or tripped a sanitizer does not exit with 0.
    void TearDown() override {
        printer.reset();
        if (sim) {
            EXPECT_EQ(sim->stop(), 0) << sim->log();
        }
    }

    void start(const std::vector<std::string>& options = {}) {
        printer.reset();
        sim = std::make_unique<SimProcess>(options);
        ASSERT_TRUE(sim->started());
        connect();
    }

    void connect() {
        printer = comms.getEthernetPrinter("127.0.0.1", static_cast<Orvane::Port>(sim->port()));
        ASSERT_TRUE(printer);
    }

    void fault(const std::string& items) {
        Settings settings{{"sim-fault", items}};
        std::string problem;
        ASSERT_TRUE(printer->writeSettings(settings, problem));
        ASSERT_EQ(problem, "");
    }

    std::string setting(const std::string& id) {
        Settings settings{{id, ""}};
        std::string problem;
        EXPECT_TRUE(printer->readSettings(settings, problem));
        return settings[id];
    }

    Orvane::CardPosition move(Orvane::MoveCardAction action) {
        Orvane::CardPosition position = Orvane::Unrecognised;
        EXPECT_TRUE(printer->moveCard(action, position, err));
        return position;
    }

    std::string reportText() {
        std::vector<unsigned char> report;
        EXPECT_TRUE(printer->getReport(report, err));
        return std::string(report.begin(), report.end());
    }

    Orvane::Comms comms;
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<Orvane::Printer> printer;
    std::string err;
};

std::vector<unsigned char> plane(std::size_t size, unsigned seed) {
    std::vector<unsigned char> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>(i * seed + seed);
    return bytes;
}

} // namespace

TEST_F(Commands, CardMovesFollowTheMechanismAndRefuseImpossibleOnes) {
    EXPECT_EQ(move(Orvane::Eject), Orvane::Source);
    EXPECT_EQ(err, "No card to eject");
    EXPECT_EQ(move(Orvane::Flip), Orvane::Source);
    EXPECT_EQ(err, "No card to flip");
    EXPECT_EQ(move(Orvane::ToStandby), Orvane::Standby);
    EXPECT_EQ(err, "");
    EXPECT_EQ(move(Orvane::ToContact), Orvane::EncoderModule);
    EXPECT_EQ(move(Orvane::ToContactless), Orvane::EncoderModule);
    EXPECT_EQ(move(Orvane::Flip), Orvane::Standby);
    EXPECT_EQ(move(Orvane::Eject), Orvane::Source);
    EXPECT_EQ(err, "");
    EXPECT_EQ(move(Orvane::Initialise), Orvane::Source);

    start({"--hopper", "0"});
    EXPECT_EQ(move(Orvane::ToStandby), Orvane::Source);
    EXPECT_EQ(err, "Card hopper empty");
}

TEST_F(Commands, ArgumentsOutsideTheirEnumerationSendNothing) {
    Orvane::CardPosition position = Orvane::Standby;
    err = "untouched";
    EXPECT_FALSE(printer->moveCard(static_cast<Orvane::MoveCardAction>(6), position, err));
    EXPECT_FALSE(printer->moveCard(static_cast<Orvane::MoveCardAction>(-1), position, err));
    EXPECT_FALSE(printer->clearError(static_cast<Orvane::ClearErrorAction>(2), err));
    EXPECT_FALSE(printer->powerDown(static_cast<Orvane::PowerDownAction>(3), err));
    EXPECT_FALSE(printer->load(static_cast<Orvane::Store>(2), err));
    EXPECT_EQ(err, "untouched");
    EXPECT_EQ(position, Orvane::Standby);
    EXPECT_TRUE(printer->save(err)); // the simulator's log now holds exactly one exchange
    const std::string log = sim->log();
    EXPECT_EQ(log.find("card-move"), std::string::npos);
    EXPECT_EQ(log.find("error-clear"), std::string::npos);
    EXPECT_EQ(log.find("power-down"), std::string::npos);
    EXPECT_EQ(log.find(" load"), std::string::npos);
}

TEST_F(Commands, AForcedErrorHoldsTheMechanismUntilCleared) {
    ASSERT_TRUE(printer->forceError(Orvane::CardJam, err));
    EXPECT_EQ(err, "");
    EXPECT_EQ(move(Orvane::ToStandby), Orvane::Source);
    EXPECT_EQ(err, "Printer in error state 1 (card jam)");
    Settings results;
    ASSERT_TRUE(printer->calibrateDyeCtrl(results, err));
    EXPECT_EQ(err, "Printer in error state 1 (card jam)");
    EXPECT_TRUE(results.empty());
    // Settings still come, with the state beside them.
    Settings model{{"id-model-name", ""}};
    ASSERT_TRUE(printer->readSettings(model, err));
    EXPECT_EQ(err, "Printer in error state 1 (card jam)");
    EXPECT_EQ(model["id-model-name"], "Kalyx K2");

    ASSERT_TRUE(printer->clearError(Orvane::CancelCurrentPrintJob, err));
    EXPECT_EQ(err, "");
    EXPECT_EQ(move(Orvane::ToStandby), Orvane::Standby);

    // Codes outside the named ones pass through unchanged.
    ASSERT_TRUE(printer->forceError(static_cast<Orvane::ErrorType>(-7), err));
    EXPECT_NE(reportText().find("Error: -7\n"), std::string::npos);
    ASSERT_TRUE(printer->clearError(Orvane::RetryCurrentPrintJob, err));
    EXPECT_NE(reportText().find("Error: none\n"), std::string::npos);

    // A restart forgets the error and drops the card.
    ASSERT_TRUE(printer->forceError(Orvane::RibbonOut, err));
    for (auto action : {Orvane::ShutDown, Orvane::Reboot, Orvane::FastRestart}) {
        ASSERT_TRUE(printer->powerDown(action, err));
        EXPECT_EQ(err, "");
    }
    EXPECT_NE(reportText().find("Error: none\nDye"), std::string::npos);
    EXPECT_NE(reportText().find("Card position: source\n"), std::string::npos);
}

TEST_F(Commands, SettingsAreReadWrittenSavedAndLoaded) {
    Settings ids{{"id-manufacturer", "x"}, {"id-model-name", "x"}, {"id-printer-serial", "x"}};
    ASSERT_TRUE(printer->readSettings(ids, err));
    EXPECT_EQ(err, "");
    EXPECT_EQ(ids, (Settings{{"id-manufacturer", "Orvane"},
                             {"id-model-name", "Kalyx K2"},
                             {"id-printer-serial", "KX2-000417"}}));

    Settings unknown{{"eject-side", ""}, {"warp-factor", "9"}};
    ASSERT_TRUE(printer->readSettings(unknown, err));
    EXPECT_EQ(err, "Unknown setting 'warp-factor'");
    EXPECT_EQ(unknown, (Settings{{"eject-side", "front"}, {"warp-factor", ""}}));

    Settings change{{"eject-side", "rear"}, {"standby-timeout-minutes", "30"}};
    ASSERT_TRUE(printer->writeSettings(change, err));
    EXPECT_EQ(err, "");
    EXPECT_EQ(change, (Settings{{"eject-side", "rear"}, {"standby-timeout-minutes", "30"}}));

    // Refused values come back as the printer still holds them.
    Settings refused{{"standby-timeout-minutes", "999"}};
    ASSERT_TRUE(printer->writeSettings(refused, err));
    EXPECT_EQ(err, "Invalid value '999' for 'standby-timeout-minutes'");
    EXPECT_EQ(refused["standby-timeout-minutes"], "30");
    Settings readOnly{{"id-printer-serial", "forged"}};
    ASSERT_TRUE(printer->writeSettings(readOnly, err));
    EXPECT_EQ(err, "Setting 'id-printer-serial' is read-only");
    EXPECT_EQ(readOnly["id-printer-serial"], "KX2-000417");

    ASSERT_TRUE(printer->save(err));
    Settings later{{"eject-side", "front"}};
    ASSERT_TRUE(printer->writeSettings(later, err));
    ASSERT_TRUE(printer->load(Orvane::Default, err));
    EXPECT_EQ(err, "");
    EXPECT_EQ(setting("eject-side"), "rear");
    ASSERT_TRUE(printer->load(Orvane::Shipped, err));
    EXPECT_EQ(setting("eject-side"), "front");
    EXPECT_EQ(setting("standby-timeout-minutes"), "15");
}

TEST_F(Commands, MagneticReadsReturnTheLoadedTracks) {
    start({"--track", "2=1100000001"});
    Orvane::MagData data;
    data.tracks[0] = {true};
    ASSERT_TRUE(printer->magRead({}, data, err));
    EXPECT_EQ(err, "No card to read");
    EXPECT_TRUE(data.tracks[0].empty());

    move(Orvane::ToStandby);
    ASSERT_TRUE(printer->magRead({{"coercivity", "high"}}, data, err));
    EXPECT_EQ(err, "");
    EXPECT_TRUE(data.tracks[0].empty());
    EXPECT_EQ(data.tracks[1], (std::vector<bool>{1, 1, 0, 0, 0, 0, 0, 0, 0, 1}));
    EXPECT_TRUE(data.tracks[2].empty());

    const std::string track1(79, '1'), track3(107, '0');
    Settings load{{"sim-mag-track1", track1}, {"sim-mag-track3", track3 + "1"}};
    ASSERT_TRUE(printer->writeSettings(load, err));
    ASSERT_TRUE(printer->magRead({}, data, err));
    EXPECT_EQ(data.tracks[0], std::vector<bool>(79, true));
    EXPECT_EQ(data.tracks[2].size(), 108u);
    EXPECT_TRUE(data.tracks[2].back());

    ASSERT_TRUE(printer->magRead({{"colour", "blue"}}, data, err));
    EXPECT_EQ(err, "Unknown mag-read option 'colour'");

    // A printer reporting more bits than a track can hold is not believed.
    Settings tooLong{{"sim-mag-track1", std::string(800, '1')}};
    ASSERT_TRUE(printer->writeSettings(tooLong, err));
    err = "untouched";
    EXPECT_FALSE(printer->magRead({}, data, err));
    EXPECT_EQ(err, "untouched");
}

TEST_F(Commands, GlintmarkSlotsKeepTheirImages) {
    const std::vector<unsigned char> image = plane(70000, 7);
    ASSERT_TRUE(printer->updateGlintmark(4, image, err));
    EXPECT_EQ(err, "");
    std::vector<unsigned char> preview{1, 2, 3};
    ASSERT_TRUE(printer->getGlintmarkPreview(4, preview, err));
    EXPECT_EQ(err, "");
    EXPECT_EQ(preview, image);

    ASSERT_TRUE(printer->getGlintmarkPreview(5, preview, err));
    EXPECT_EQ(err, "Glintmark slot 5 is empty");
    EXPECT_TRUE(preview.empty());
    ASSERT_TRUE(printer->updateGlintmark(11, image, err));
    EXPECT_EQ(err, "Invalid Glintmark slot '11'");
    ASSERT_TRUE(printer->updateGlintmark(0, image, err));
    EXPECT_EQ(err, "Invalid Glintmark slot '0'");
    ASSERT_TRUE(printer->updateGlintmark(1, {}, err));
    EXPECT_EQ(err, "Empty Glintmark image");
}

TEST_F(Commands, UpdatesReportsAndCalibration) {
    const std::vector<unsigned char> software = plane(5u << 20, 13);
    ASSERT_TRUE(printer->updateSoftware(software, err));
    EXPECT_EQ(err, "");
    ASSERT_TRUE(printer->updateCapability(plane(1000, 3), err));
    EXPECT_EQ(err, "");
    ASSERT_TRUE(printer->updateSoftware({}, err));
    EXPECT_EQ(err, "Empty software image");
    ASSERT_TRUE(printer->updateCapability({}, err));
    EXPECT_EQ(err, "Empty capability file");

    const std::string report = reportText();
    EXPECT_EQ(err, "");
    EXPECT_NE(report.find("Serial: KX2-000417\n"), std::string::npos);
    EXPECT_NE(report.find("Software image: 5242880 bytes\n"), std::string::npos);
    EXPECT_NE(report.find("Capability file: 1000 bytes\n"), std::string::npos);

    Settings big{{"sim-report-size", std::to_string(24u << 20)}};
    ASSERT_TRUE(printer->writeSettings(big, err));
    std::vector<unsigned char> bulk;
    ASSERT_TRUE(printer->getReport(bulk, err));
    ASSERT_EQ(bulk.size(), 24u << 20);
    EXPECT_EQ(bulk[1], 131);

    Settings results{{"dye-k", "old"}, {"mine", "kept"}};
    ASSERT_TRUE(printer->calibrateDyeCtrl(results, err));
    EXPECT_EQ(err, "");
    EXPECT_EQ(results["mine"], "kept");
    EXPECT_EQ(results["status"], "complete");
    EXPECT_NE(results["dye-k"], "old");
    EXPECT_EQ(results.count("duration-ms"), 0u); // carries no id
    EXPECT_EQ(results.size(), 6u);
}

TEST_F(Commands, StrayBytesAndSlowAnswersWithinTheTimeOutAreAccepted) {
    fault("stray-bytes=300");
    EXPECT_EQ(move(Orvane::ToStandby), Orvane::Standby);
    EXPECT_EQ(err, "");

    fault("text-length=4096");
    EXPECT_TRUE(printer->save(err));

    fault("delay=400");
    const auto before = Clock::now();
    EXPECT_TRUE(printer->save(err));
    EXPECT_GE(Clock::now() - before, std::chrono::milliseconds(400));

    fault("for=save,error=Cover open");
    EXPECT_TRUE(printer->save(err));
    EXPECT_EQ(err, "Cover open");
    EXPECT_TRUE(printer->save(err));
    EXPECT_EQ(err, "");
}

TEST_F(Commands, BrokenAnswersFailAndTheNextCommandSucceeds) {
    for (const char* items : {"crc-big-endian", "text-length=4097", "bad-xml",
                              "binary-size=104857601", "stray-bytes=5,crc-big-endian"}) {
        SCOPED_TRACE(items);
        fault(items);
        err = "untouched";
        std::vector<unsigned char> report{9};
        const auto before = Clock::now();
        EXPECT_FALSE(printer->getReport(report, err));
        EXPECT_LT(Clock::now() - before, std::chrono::seconds(5)); // refused, not timed out
        EXPECT_EQ(err, "untouched");
        EXPECT_EQ(report, std::vector<unsigned char>{9});
        EXPECT_TRUE(printer->getReport(report, err));
        EXPECT_EQ(err, "");
        EXPECT_FALSE(report.empty());
    }
}

TEST_F(Commands, AHangUpFailsTheCommandAndANewConnectionWorks) {
    fault("close");
    EXPECT_FALSE(printer->save(err));
    EXPECT_FALSE(printer->save(err));
    connect();
    EXPECT_TRUE(printer->save(err));
    EXPECT_EQ(err, "");
}

// The two cases below wait out the library's 7 s read time-out; they are separate tests so
// that a parallel test run overlaps them.
TEST_F(Commands, NoAnswerTimesOutAndTheConnectionStaysUsable) {
    fault("no-answer");
    const auto before = Clock::now();
    EXPECT_FALSE(printer->save(err));
    const auto waited = Clock::now() - before;
    EXPECT_GE(waited, std::chrono::milliseconds(6900));
    EXPECT_LT(waited, std::chrono::seconds(15));
    EXPECT_TRUE(printer->save(err));
    EXPECT_EQ(err, "");
}

TEST_F(Commands, AShortPayloadTimesOutAndTheConnectionStaysUsable) {
    fault("binary-size-extra=64");
    std::vector<unsigned char> report{9};
    const auto before = Clock::now();
    EXPECT_FALSE(printer->getReport(report, err));
    EXPECT_GE(Clock::now() - before, std::chrono::milliseconds(6900));
    EXPECT_EQ(report, std::vector<unsigned char>{9});
    EXPECT_TRUE(printer->getReport(report, err));
    EXPECT_GT(report.size(), 64u);
}

TEST_F(Commands, ComposedJobsArriveValidAndAreStored) {
    TempDir jobs;
    start({"--jobs", jobs.path()});

    Orvane::PrintOptions options;
    options.cardOptions = {{"height", "642"}, {"image-format", "orvane"}, {"width", "1013"}};
    Orvane::ImageData images;
    for (int side = 0; side < 2; ++side) {
        options.sides[side].emplace();
        for (int panel = 0; panel < 4; ++panel) {
            (*options.sides[side])[panel] = Orvane::OptionMap{{"x-density", "300"}};
            images.planes[side][panel] = plane(1013 * 642, 1 + side * 4 + panel);
        }
    }
    (*options.sides[0])[Orvane::PanelO] = Orvane::OptionMap{{"watermark-index", "2"}};
    options.magOptions = Orvane::OptionMap{{"coercivity", "high"}};
    options.trackOptions[1] = Orvane::OptionMap{{"bpi", "75"}};
    Orvane::MagData mag;
    mag.tracks[1] = std::vector<bool>(75, true);

    ASSERT_TRUE(printer->printCard(options, images, mag));
    // The same job as bytes, sent raw as a file would be.
    std::vector<unsigned char> composed;
    ASSERT_TRUE(printer->printCardToMem(options, images, mag, composed));
    ASSERT_TRUE(printer->write(reinterpret_cast<const char*>(composed.data()),
                               static_cast<int>(composed.size())));
    // A plane short: refused by the printer, nothing stored.
    images.planes[1][3].pop_back();
    ASSERT_TRUE(printer->printCard(options, images, mag));

    EXPECT_EQ(setting("sim-jobs-received"), "3");
    EXPECT_EQ(setting("sim-last-job").rfind("refused: Incorrect length", 0), 0u);
    EXPECT_EQ(setting("cards-printed"), "2");
    ASSERT_EQ(jobs.files(), (std::vector<std::string>{"job-0001.prn", "job-0002.prn"}));
    EXPECT_EQ(fileContents(jobs.path() + "/job-0002.prn"),
              std::string(composed.begin(), composed.end()));

    const std::string stored = fileContents(jobs.path() + "/job-0001.prn");
    const std::vector<unsigned char> first(stored.begin(), stored.end());
    ASSERT_GT(first.size(), 8u * 1013 * 642 + 10);
    EXPECT_TRUE(Frame(stored).crcOk());
    // Planes first, in side and panel order, then the track bytes.
    const auto header =
        static_cast<std::size_t>(std::find(first.begin(), first.end(), 0) - first.begin() + 1);
    EXPECT_TRUE(std::equal(images.planes[0][0].begin(), images.planes[0][0].end(),
                           first.begin() + static_cast<long>(header)));
    EXPECT_EQ(first[first.size() - 5], 0xE0); // the 75th bit ends 3 bits into the last byte
}

TEST(CommandsOverUsb, ThePtyServesAsAUsbPrinter) {
    SimProcess sim({"--pty"});
    ASSERT_TRUE(sim.started());
    ASSERT_FALSE(sim.ptyPath().empty());
    Orvane::Comms comms;
    std::unique_ptr<Orvane::Printer> printer = comms.getUsbPrinter(sim.ptyPath());
    ASSERT_TRUE(printer);
    Settings ids{{"id-model-name", ""}, {"id-printer-serial", ""}};
    std::string err;
    ASSERT_TRUE(printer->readSettings(ids, err));
    EXPECT_EQ(ids["id-model-name"], "Kalyx K2");
    EXPECT_EQ(ids["id-printer-serial"], "KX2-000417");
    const std::vector<unsigned char> image = plane(50000, 11);
    ASSERT_TRUE(printer->updateGlintmark(1, image, err));
    std::vector<unsigned char> preview;
    ASSERT_TRUE(printer->getGlintmarkPreview(1, preview, err));
    EXPECT_EQ(preview, image);
}
