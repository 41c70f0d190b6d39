// What each command sends, how long it waits, and how it reads or clears its outputs.
#include "ScriptedSession.h"
#include "WireFrame.h"

#include <kalyxcomms/Printer.h>

#include <gtest/gtest.h>

using namespace Orvane;
using namespace kalyxtest;

namespace {

std::string track(int number, int bits) {
    return "<t track=\"" + std::to_string(number) + "\"><num-bits>" + std::to_string(bits) +
           "</num-bits></t>";
}

std::vector<bool> bits(std::initializer_list<int> values) {
    std::vector<bool> out;
    for (int v : values)
        out.push_back(v != 0);
    return out;
}

} // namespace

TEST(Commands, EnumerationsOutsideTheirRangeSendNothing) {
    ScriptedPrinter s;
    CardPosition position = EncoderModule;
    std::string err = "kept";
    EXPECT_FALSE(s.printer.moveCard(static_cast<MoveCardAction>(6), position, err));
    EXPECT_FALSE(s.printer.moveCard(static_cast<MoveCardAction>(-1), position, err));
    EXPECT_FALSE(s.printer.clearError(static_cast<ClearErrorAction>(2), err));
    EXPECT_FALSE(s.printer.powerDown(static_cast<PowerDownAction>(3), err));
    EXPECT_FALSE(s.printer.load(static_cast<Store>(-5), err));
    EXPECT_EQ(s.printer.lastFailure(), FailureReason::BadArgument);
    EXPECT_EQ(s.session->writeCalls, 0);
    EXPECT_EQ(position, EncoderModule);
    EXPECT_EQ(err, "kept");
}

TEST(Commands, RequestElementsAndReadTimeouts) {
    struct Case {
        const char* request;
        std::uint32_t readTimeout;
        std::function<bool(Printer&, std::string&)> call;
    };
    CardPosition position;
    MagData mag;
    std::vector<unsigned char> bytes;
    std::map<std::string, std::string> map;
    const Case cases[] = {
        {"<card-move><action>to-contactless</action></card-move>", 40000,
         [&](Printer& p, std::string& e) { return p.moveCard(ToContactless, position, e); }},
        {"<error-clear><action>cancel-current-print-job</action></error-clear>", 7000,
         [&](Printer& p, std::string& e) { return p.clearError(CancelCurrentPrintJob, e); }},
        {"<force-error><code>-7</code></force-error>", 7000,
         [&](Printer& p, std::string& e) { return p.forceError(static_cast<ErrorType>(-7), e); }},
        {"<power-down><action>fast-restart</action></power-down>", 7000,
         [&](Printer& p, std::string& e) { return p.powerDown(FastRestart, e); }},
        {"<save/>", 7000, [&](Printer& p, std::string& e) { return p.save(e); }},
        {"<load><store>shipped</store></load>", 7000,
         [&](Printer& p, std::string& e) { return p.load(Shipped, e); }},
        {"<update-glintmark><slot>3</slot></update-glintmark>", 7000,
         [&](Printer& p, std::string& e) { return p.updateGlintmark(3, {1}, e); }},
        {"<update-capability/>", 7000,
         [&](Printer& p, std::string& e) { return p.updateCapability({}, e); }},
        {"<get-report/>", 7000, [&](Printer& p, std::string& e) { return p.getReport(bytes, e); }},
        {"<get-glintmark-preview><slot>-1</slot></get-glintmark-preview>", 7000,
         [&](Printer& p, std::string& e) { return p.getGlintmarkPreview(-1, bytes, e); }},
        {"<calibrate-dye-ctrl/>", 9000,
         [&](Printer& p, std::string& e) { return p.calibrateDyeCtrl(map, e); }},
        {"<mag-read><track-options track=\"1\"/><track-options track=\"2\"/>"
         "<track-options track=\"3\"/></mag-read>",
         40000, [&](Printer& p, std::string& e) { return p.magRead({}, mag, e); }},
    };
    for (const Case& c : cases) {
        ScriptedPrinter s(answer("<x/>"));
        std::string err = "stale";
        EXPECT_TRUE(c.call(s.printer, err)) << c.request;
        EXPECT_EQ(err, "") << c.request;
        const std::string header = s.request().text;
        EXPECT_NE(header.find(std::string("<prn>") + c.request + "<binary-size>"),
                  std::string::npos)
            << header;
        EXPECT_EQ(s.session->readTimeouts, std::vector<std::uint32_t>{c.readTimeout}) << c.request;
        EXPECT_EQ(s.session->writeTimeouts, std::vector<std::uint32_t>{30000}) << c.request;
    }
}

TEST(Commands, CardPositionIsAnExactWord) {
    const std::pair<const char*, CardPosition> cases[] = {
        {"<position>source</position>", Source},
        {"<position>encoder-module</position>", EncoderModule},
        {"<position>Standby</position>", Unrecognised},
        {"", Unrecognised},
    };
    for (const auto& [inner, expected] : cases) {
        ScriptedPrinter s(
            answer(std::string("<card-move-response>") + inner + "</card-move-response>"));
        CardPosition position = Standby;
        std::string err;
        EXPECT_TRUE(s.printer.moveCard(Flip, position, err));
        EXPECT_EQ(position, expected) << inner;
    }
    ScriptedPrinter failing; // no answer: position untouched
    CardPosition position = Standby;
    std::string err = "kept";
    EXPECT_FALSE(failing.printer.moveCard(Initialise, position, err));
    EXPECT_EQ(position, Standby);
    EXPECT_EQ(err, "kept");
}

TEST(Settings, ReadAsksForEveryKeyAndTakesOnlyKnownAnswers) {
    ScriptedPrinter s(answer("<get-response><param id=\"b\">2</param><param id=\"zz\">9</param>"
                             "<param>no id</param></get-response>"));
    std::map<std::string, std::string> settings = {{"b", "old"}, {"a", "old"}};
    std::string err = "stale";
    ASSERT_TRUE(s.printer.readSettings(settings, err));
    EXPECT_EQ(s.request().text.find("<get><param id=\"a\"/><param id=\"b\"/></get>") !=
                  std::string::npos,
              true)
        << s.request().text;
    EXPECT_EQ(settings, (std::map<std::string, std::string>{{"a", ""}, {"b", "2"}}));
    EXPECT_EQ(err, "");
}

TEST(Settings, WriteSendsValuesAndKeepsWhatThePrinterReports) {
    ScriptedPrinter s(answer("<set-response><param id=\"a\">1</param></set-response>"
                             "<error>b is read-only</error>"));
    std::map<std::string, std::string> settings = {{"a", "1"}, {"b", "x&y"}};
    std::string err;
    ASSERT_TRUE(s.printer.writeSettings(settings, err));
    EXPECT_NE(s.request().text.find(
                  "<set><param id=\"a\">1</param><param id=\"b\">x&amp;y</param></set>"),
              std::string::npos);
    EXPECT_EQ(settings, (std::map<std::string, std::string>{{"a", "1"}, {"b", ""}}));
    EXPECT_EQ(err, "b is read-only");
}

TEST(Settings, AFailedExchangeLeavesValuesClearedAndErrorAlone) {
    ScriptedPrinter s; // the printer never answers
    std::map<std::string, std::string> settings = {{"a", "1"}};
    std::string err = "kept";
    EXPECT_FALSE(s.printer.writeSettings(settings, err));
    EXPECT_EQ(settings.at("a"), "");
    EXPECT_EQ(err, "kept");
}

TEST(Settings, CalibrationMergesResultsById) {
    ScriptedPrinter s(answer("<calibrate-dye-ctrl-response><r id=\"y\">12</r><r id=\"new\"/>"
                             "<r>skipped</r></calibrate-dye-ctrl-response>"));
    std::map<std::string, std::string> results = {{"y", "1"}, {"m", "2"}};
    std::string err;
    ASSERT_TRUE(s.printer.calibrateDyeCtrl(results, err));
    EXPECT_EQ(results, (std::map<std::string, std::string>{{"m", "2"}, {"new", ""}, {"y", "12"}}));
}

TEST(MagRead, OptionsInKeyOrderThenTheThreeTracks) {
    ScriptedPrinter s(answer("<mag-read-response/>"));
    MagData data;
    std::string err;
    ASSERT_TRUE(s.printer.magRead({{"verify", "yes"}, {"coercivity", "low"}}, data, err));
    EXPECT_NE(s.request().text.find(
                  "<mag-read><coercivity>low</coercivity><verify>yes</verify><track-options "
                  "track=\"1\"/><track-options track=\"2\"/><track-options track=\"3\"/>"
                  "</mag-read>"),
              std::string::npos);
}

TEST(MagRead, TracksAreUnpackedMostSignificantBitFirst) {
    ScriptedPrinter s(
        answer("<mag-read-response>" + track(2, 10) + track(1, 3) + "</mag-read-response>",
               "\xC0\x40\xA0"));
    MagData data;
    data.tracks[2] = bits({1, 1});
    std::string err = "stale";
    ASSERT_TRUE(s.printer.magRead({}, data, err));
    EXPECT_EQ(data.tracks[1], bits({1, 1, 0, 0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(data.tracks[0], bits({1, 0, 1}));
    EXPECT_TRUE(data.tracks[2].empty());
    EXPECT_EQ(err, "");
}

TEST(MagRead, MalformedTrackDataFailsWithTheErrorUntouched) {
    const std::pair<std::string, std::string> cases[] = {
        {track(1, 800), std::string(100, '\0')},
        {track(1, -1), ""},
        {track(4, 8), "a"},
        {"<t><num-bits>8</num-bits></t>", "a"},
        {track(3, 16), "a"},
        {track(1, 8) + track(2, 8), "a"},
    };
    for (const auto& [tracks, payload] : cases) {
        ScriptedPrinter s(answer("<mag-read-response>" + tracks + "</mag-read-response>", payload));
        MagData data;
        data.tracks[2] = bits({1});
        std::string err = "kept";
        EXPECT_FALSE(s.printer.magRead({}, data, err)) << tracks;
        EXPECT_EQ(s.printer.lastFailure(), FailureReason::MalformedFrame) << tracks;
        EXPECT_EQ(err, "kept");
        EXPECT_TRUE(data.tracks[2].empty()) << "cleared before sending";
    }
}

TEST(Payloads, FetchedPayloadReplacesTheCallersBytesOnlyOnSuccess) {
    ScriptedPrinter s(answer("<get-report-response/>", "report") +
                      answer("<get-report-response/>"));
    std::vector<unsigned char> report = {1, 2, 3};
    std::string err;
    ASSERT_TRUE(s.printer.getReport(report, err));
    EXPECT_EQ(std::string(report.begin(), report.end()), "report");
    ASSERT_TRUE(s.printer.getReport(report, err));
    EXPECT_TRUE(report.empty());
    report = {9};
    EXPECT_FALSE(s.printer.getGlintmarkPreview(1, report, err));
    EXPECT_EQ(report, std::vector<unsigned char>{9});
}
