// The simulator seen from the wire: its framing, how it treats damaged requests, the faults it
// commits on request, stored jobs, the pty and the process itself.
#include "RawClient.h"
#include "SimProcess.h"
#include "TempDir.h"
#include "Waiting.h"
#include "WireFrame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <thread>
#include <unistd.h>

using namespace kalyxtest;

namespace {

class Wire : public ::testing::Test {
protected:
    void TearDown() override {
        if (sim) {
            EXPECT_EQ(sim->stop(), 0) << sim->log();
        }
    }

    void start(const std::vector<std::string>& options = {}) {
        sim = std::make_unique<SimProcess>(options);
        ASSERT_TRUE(sim->started());
        ASSERT_TRUE(client.connect(sim->port()));
    }

    Frame ask(const std::string& body, const std::string& payload = {}) {
        Frame answer;
        EXPECT_TRUE(client.send(request(body, payload)));
        EXPECT_TRUE(client.receive(answer)) << body;
        return answer;
    }

    void setFault(const std::string& items) {
        Frame answer = ask("<set><param id=\"sim-fault\">" + items + "</param></set>");
        ASSERT_EQ(answer.error(), "");
    }

    std::string reportLine(const std::string& prefix) {
        const Frame answer = ask("<get-report/>");
        const std::string text(answer.payload.begin(), answer.payload.end());
        const auto at = text.find(prefix);
        return at == std::string::npos
                   ? ""
                   : text.substr(at + prefix.size(), text.find('\n', at) - at - prefix.size());
    }

    std::unique_ptr<SimProcess> sim;
    RawClient client;
};

// A minimal valid card job: one side, black panel, given size.
std::string cardJob(unsigned width, unsigned height, std::size_t planeBytes,
                    const std::string& moreOptions = "") {
    const std::string body = "<card><card-options>" + moreOptions + "<height>" +
                             std::to_string(height) + "</height><width>" + std::to_string(width) +
                             "</width></card-options><side-options side=\"0\"><panel-options "
                             "panel=\"k\"/></side-options></card>";
    std::string plane(planeBytes, '\0');
    for (std::size_t i = 0; i < plane.size(); ++i)
        plane[i] = static_cast<char>(i);
    return request(body, plane);
}

} // namespace

TEST_F(Wire, AnswersAreFramedWithDeclarationSizeAndLittleEndianChecksum) {
    start();
    const Frame answer = ask("<get-report/>");
    EXPECT_EQ(answer.stray, 0u);
    EXPECT_EQ(answer.text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?><prn>", 0), 0u);
    ASSERT_TRUE(answer.parsed);
    EXPECT_TRUE(answer.prn().child("get-report-response"));
    EXPECT_EQ(answer.prn().child("binary-size").text().as_ullong(), answer.payload.size());
    EXPECT_FALSE(answer.payload.empty());
    EXPECT_EQ(answer.crcOnWire, answer.crcComputed);
    EXPECT_FALSE(answer.prn().child("error"));
}

TEST_F(Wire, DamagedOrUnknownRequestsAreRefusedWithoutActingOnThem) {
    start();
    std::string damaged = request("<card-move><action>to-standby</action></card-move>");
    damaged.back() ^= 0x01;
    ASSERT_TRUE(client.send(damaged));
    Frame answer;
    ASSERT_TRUE(client.receive(answer));
    EXPECT_EQ(answer.error(), "Checksum mismatch");
    EXPECT_EQ(reportLine("Card position: "), "source");

    EXPECT_EQ(ask("<frobnicate/>").error(), "Unknown command 'frobnicate'");
    EXPECT_TRUE(ask("<frobnicate/>").prn().child("frobnicate-response"));

    // Unparseable text still gets an answer, and the stream carries on at the next '<'.
    ASSERT_TRUE(client.send(std::string("<prn><save></prn>\0\0\0\0\0", 22)));
    ASSERT_TRUE(client.receive(answer));
    EXPECT_EQ(answer.error(), "Malformed request");
    EXPECT_EQ(ask("<save/>").error(), "");
}

TEST_F(Wire, RequestsAreFoundInAnyChunkingAndAfterStrayBytes) {
    start();
    const std::string first = request("<card-move><action>to-standby</action></card-move>");
    const std::string second = request("<card-move><action>flip</action></card-move>");
    const std::string two = std::string("x\0\xff>", 4) + first + second;
    // One byte per write for the first frame, the rest at once.
    for (std::size_t i = 0; i < 4 + first.size(); ++i)
        ASSERT_TRUE(client.send(two.substr(i, 1)));
    ASSERT_TRUE(client.send(two.substr(4 + first.size())));
    Frame answer;
    ASSERT_TRUE(client.receive(answer));
    EXPECT_STREQ(answer.prn().child("card-move-response").child_value("position"), "standby");
    ASSERT_TRUE(client.receive(answer));
    EXPECT_EQ(answer.error(), "");
    EXPECT_NE(sim->log().find("4 stray bytes skipped"), std::string::npos);
}

TEST_F(Wire, AnAnnouncedPayloadBeyondTheLimitMakesItHangUp) {
    start();
    const std::string text = "<prn><update-software/><binary-size>4294967296</binary-size></prn>";
    ASSERT_TRUE(client.send(text + '\0'));
    EXPECT_TRUE(client.closedByPeer(3000));
    // The simulator itself is unharmed.
    RawClient other;
    ASSERT_TRUE(other.connect(sim->port()));
    ASSERT_TRUE(other.send(request("<save/>")));
    Frame answer;
    EXPECT_TRUE(other.receive(answer));
}

TEST_F(Wire, FaultsBendTheAnswerExactlyAsAsked) {
    start();
    setFault("stray-bytes=7");
    Frame answer = ask("<save/>");
    EXPECT_EQ(answer.stray, 7u);
    EXPECT_EQ(answer.crcOnWire, answer.crcComputed);

    setFault("crc-big-endian");
    answer = ask("<save/>");
    EXPECT_EQ(answer.crcOnWire, __builtin_bswap32(answer.crcComputed));

    setFault("text-length=4096");
    answer = ask("<save/>");
    EXPECT_EQ(answer.text.size(), 4096u);
    EXPECT_TRUE(answer.parsed);
    EXPECT_EQ(answer.crcOnWire, answer.crcComputed);

    setFault("bad-xml");
    answer = ask("<save/>");
    EXPECT_FALSE(answer.parsed);

    setFault("binary-size=104857601");
    ASSERT_TRUE(client.send(request("<save/>")));
    const std::string raw = client.drain(300);
    EXPECT_NE(raw.find("<binary-size>104857601</binary-size>"), std::string::npos);
    EXPECT_EQ(raw.size(), raw.find('\0') + 1 + 4);

    setFault("binary-size-extra=10");
    ASSERT_TRUE(client.send(request("<get-report/>")));
    const std::string shortFrame = client.drain(300);
    const std::size_t nul = shortFrame.find('\0');
    const auto announced = std::stoul(shortFrame.substr(shortFrame.find("<binary-size>") + 13));
    EXPECT_EQ(shortFrame.size(), nul + 1 + (announced - 10) + 4);

    // Each run-time fault was for one answer only.
    answer = ask("<save/>");
    EXPECT_EQ(answer.stray, 0u);
    EXPECT_EQ(answer.crcOnWire, answer.crcComputed);
}

TEST_F(Wire, FaultsCanBeLimitedToACommandAndACount) {
    start({"--error", "get-report=Ribbon out, replace it"});
    EXPECT_EQ(ask("<get-report/>").error(), "Ribbon out, replace it");
    EXPECT_EQ(ask("<get-report/>").error(), "Ribbon out, replace it");
    EXPECT_EQ(ask("<save/>").error(), "");

    setFault("");
    EXPECT_EQ(ask("<get-report/>").error(), "");

    setFault("for=save,count=2,stray-bytes=3");
    EXPECT_EQ(ask("<get-report/>").stray, 0u);
    EXPECT_EQ(ask("<save/>").stray, 3u);
    EXPECT_EQ(ask("<save/>").stray, 3u);
    EXPECT_EQ(ask("<save/>").stray, 0u);

    const Frame refused = ask("<set><param id=\"sim-fault\">stray-bytes=lots</param></set>");
    EXPECT_NE(refused.error().find("Invalid fault"), std::string::npos);
}

TEST_F(Wire, FaultItemsReadBackInOneOrderAndCombineOnOneAnswer) {
    // Every shortcut option stands for its item.
    start({"--delay", "5", "--close-after-request", "--no-answer", "--binary-size-extra", "2",
           "--text-length", "900", "--crc-big-endian", "--stray-bytes", "3", "--quiet"});
    EXPECT_TRUE(waitUntil([&] {
        return sim->log().find("faults: stray-bytes=3,crc-big-endian,text-length=900,"
                               "binary-size-extra=2,no-answer,close,delay=5") != std::string::npos;
    })) << sim->log();
    start();
    // Aimed at save, so that reading them back does not use them up.
    const struct {
        const char* written;
        const char* read; // as sim-fault lists it
    } items[] = {
        {"for=save,error=x, y,z,delay=3", "for=save,count=1,error=x, y,z,delay=3"},
        {"delay=3,reset,for=save,count=2,bad-xml", "for=save,count=2,bad-xml,reset,delay=3"},
        {"binary-size=0,for=save", "for=save,count=1,binary-size=0"},
    };
    for (const auto& item : items) {
        setFault("");
        setFault(item.written);
        const Frame answer = ask("<get><param id=\"sim-fault\"/></get>");
        EXPECT_STREQ(answer.prn().child("get-response").child_value("param"), item.read);
    }
    setFault("");
    // Two faults on one answer: the larger number, either flag, the first error text.
    setFault("for=save,stray-bytes=2,error=first");
    setFault("for=save,stray-bytes=5,crc-big-endian,error=second");
    const Frame answer = ask("<save/>");
    EXPECT_EQ(answer.stray, 5u);
    EXPECT_EQ(answer.crcOnWire, __builtin_bswap32(answer.crcComputed));
    EXPECT_EQ(answer.error(), "first");
    for (const char* bad : {"for=", "error", "close=1", "count", "delay=x"})
        EXPECT_NE(ask(std::string("<set><param id=\"sim-fault\">") + bad + "</param></set>")
                      .error()
                      .find("Invalid fault"),
                  std::string::npos)
            << bad;
}

TEST_F(Wire, SilenceHangUpAndDelayFaults) {
    start();
    setFault("no-answer");
    ASSERT_TRUE(client.send(request("<save/>")));
    EXPECT_TRUE(client.drain(300).empty());
    EXPECT_EQ(ask("<save/>").error(), "");

    setFault("delay=250");
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(ask("<save/>").error(), "");
    EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(250));

    setFault("close");
    ASSERT_TRUE(client.send(request("<save/>")));
    EXPECT_TRUE(client.closedByPeer(3000));
}

TEST_F(Wire, AHostThatStopsSendingStillGetsItsAnswers) {
    start({"--delay", "100"});
    ASSERT_TRUE(client.send(request("<save/>")));
    ASSERT_TRUE(client.send(request("<get-report/>")));
    client.shutdownWrite();
    Frame answer;
    ASSERT_TRUE(client.receive(answer));
    EXPECT_TRUE(answer.prn().child("save-response"));
    ASSERT_TRUE(client.receive(answer));
    EXPECT_TRUE(answer.prn().child("get-report-response"));
    EXPECT_TRUE(client.closedByPeer(3000));
}

TEST_F(Wire, CardJobsAreValidatedAndStoredByteForByte) {
    TempDir jobs;
    start({"--jobs", jobs.path()});
    setFault("stray-bytes=2"); // meant for the next answer, not for the jobs in between
    const std::string job = cardJob(600, 10, 600 * 10);
    ASSERT_TRUE(client.send(job));

    const std::string wrongLength = cardJob(600, 10, 600 * 10 - 1);
    ASSERT_TRUE(client.send(wrongLength));
    std::string badChecksum = cardJob(600, 10, 600 * 10);
    badChecksum[badChecksum.size() - 10] ^= 0xff;
    ASSERT_TRUE(client.send(badChecksum));
    ASSERT_TRUE(client.send(request("<card><side-options side=\"0\"><panel-options "
                                    "panel=\"k\"/></side-options></card>")));

    // Jobs get no answer; the next command's answer proves they were all handled.
    const Frame answer = ask("<get><param id=\"sim-jobs-received\"/><param "
                             "id=\"sim-jobs-stored\"/><param id=\"sim-last-job\"/></get>");
    EXPECT_EQ(answer.stray, 2u);
    pugi::xml_node values = answer.prn().child("get-response");
    EXPECT_STREQ(values.find_child_by_attribute("id", "sim-jobs-received").child_value(), "4");
    EXPECT_STREQ(values.find_child_by_attribute("id", "sim-jobs-stored").child_value(), "1");
    // A default-size plane was announced but none was sent.
    EXPECT_EQ(std::string(values.find_child_by_attribute("id", "sim-last-job").child_value())
                  .rfind("refused: Incorrect length, expected ", 0),
              0u);
    ASSERT_EQ(jobs.files(), std::vector<std::string>{"job-0001.prn"});
    EXPECT_EQ(fileContents(jobs.path() + "/job-0001.prn"), job);
    const std::string log = sim->log();
    EXPECT_NE(
        log.find("refused: Incorrect length, expected " + std::to_string(wrongLength.size() + 1)),
        std::string::npos);
    EXPECT_NE(log.find("refused: Checksum mismatch"), std::string::npos);

    // A second run into the same folder adds to it.
    start({"--jobs", jobs.path()});
    ASSERT_TRUE(client.send(job));
    ask("<save/>");
    EXPECT_EQ(jobs.files(), (std::vector<std::string>{"job-0001.prn", "job-0002.prn"}));

    // Two simulators storing into one folder at once: a number the other took is passed over,
    // never written over.
    SimProcess other({"--jobs", jobs.path()});
    ASSERT_TRUE(other.started());
    RawClient otherClient;
    ASSERT_TRUE(otherClient.connect(other.port()));
    const std::string otherJob = cardJob(600, 10, 600 * 10, "<num-copies>2</num-copies>");
    ASSERT_TRUE(otherClient.send(otherJob));
    Frame answer2;
    ASSERT_TRUE(otherClient.send(request("<save/>")) && otherClient.receive(answer2));
    ASSERT_TRUE(client.send(job));
    ask("<save/>");
    EXPECT_EQ(jobs.files(), (std::vector<std::string>{"job-0001.prn", "job-0002.prn",
                                                      "job-0003.prn", "job-0004.prn"}));
    EXPECT_EQ(fileContents(jobs.path() + "/job-0003.prn"), otherJob);
    EXPECT_EQ(fileContents(jobs.path() + "/job-0004.prn"), job);
    EXPECT_EQ(other.stop(), 0);
}

TEST_F(Wire, JobNumbersNeverWrapOrShrink) {
    const std::string job = cardJob(600, 10, 600 * 10);
    const struct {
        const char* present; // a job stored by an earlier run
        const char* next;    // what the next job becomes
    } cases[] = {
        {"job-4294967295.prn", "job-4294967296.prn"},
        {"job-18446744073709551614.prn", "job-18446744073709551615.prn"},
        // No number is left: the card is printed, but nothing is written over or renumbered.
        {"job-18446744073709551615.prn", nullptr},
        {"job-99999999999999999999999.prn", nullptr},
    };
    for (const auto& c : cases) {
        TempDir jobs;
        std::ofstream(jobs.file(c.present)) << "earlier";
        start({"--jobs", jobs.path()});
        ASSERT_TRUE(client.send(job));
        const Frame answer = ask("<get><param id=\"sim-last-job\"/></get>");
        const std::string last = answer.prn().child("get-response").child_value("param");
        std::vector<std::string> expected{c.present};
        if (c.next) {
            expected.push_back(c.next);
            EXPECT_EQ(last, std::string("stored ") + c.next);
        } else {
            EXPECT_NE(last.find("could not store: no job number left"), std::string::npos) << last;
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(jobs.files(), expected);
    }
}

TEST_F(Wire, TextFromHostsReachesTheLogEscaped) {
    start();
    const std::string name = "a\x1b]0;owned\x07\xc2\x9b"
                             "2J\xff\xc3\xa9";
    EXPECT_NE(ask("<get><param id=\"" + name + "\"/></get>").error(), "");
    const std::string log = sim->log();
    EXPECT_NE(log.find("a\\x1b]0;owned\\x07\\x9b2J\\xff\xc3\xa9"), std::string::npos) << log;
    for (char raw : {'\x1b', '\x07', '\x9b', '\xff'})
        EXPECT_EQ(log.find(raw), std::string::npos) << int(raw);
}

TEST_F(Wire, CopiesComeFromTheHopperAndAKeptCardStaysInStandby) {
    start({"--hopper", "4"});
    ASSERT_TRUE(client.send(
        cardJob(600, 10, 6000, "<disable-eject>true</disable-eject><num-copies>3</num-copies>")));
    EXPECT_EQ(reportLine("Cards printed: "), "3");
    EXPECT_EQ(reportLine("Cards in hopper: "), "1");
    EXPECT_EQ(reportLine("Card position: "), "standby");
    // The kept card is printed again, so two copies need only one more from the hopper.
    ASSERT_TRUE(client.send(cardJob(600, 10, 6000, "<num-copies>2</num-copies>")));
    EXPECT_EQ(reportLine("Cards in hopper: "), "0");
    EXPECT_EQ(reportLine("Card position: "), "source");
    ASSERT_TRUE(client.send(cardJob(600, 10, 6000)));
    EXPECT_EQ(reportLine("Cards printed: "), "5");
    // Out of cards, it stops in an error state until someone clears it.
    EXPECT_EQ(reportLine("Error: "), "3");
}

TEST_F(Wire, APrintTimeHoldsTheNextCardJobUntilTheCardIsOut) {
    TempDir jobs;
    start({"--print-time", "1.5", "--jobs", jobs.path()});
    // Two sides of four full planes: far more than the connection's buffers hold, so a host
    // can only finish writing it once the printer reads.
    const std::string side = "<panel-options panel=\"y\"/><panel-options panel=\"m\"/>"
                             "<panel-options panel=\"c\"/><panel-options panel=\"k\"/>";
    const std::string job = request(
        "<card><card-options><width>2026</width><height>642</height></card-options>"
        "<side-options side=\"0\">" +
            side + "</side-options><side-options side=\"1\">" + side + "</side-options></card>",
        std::string(2026u * 642 * 8, '\x5a'));
    auto setting = [this](const char* id) {
        const Frame answer = ask(std::string("<get><param id=\"") + id + "\"/></get>");
        return std::string(answer.prn().child("get-response").child("param").child_value());
    };
    RawClient first;
    ASSERT_TRUE(first.connect(sim->port()));
    ASSERT_TRUE(first.send(job));
    ASSERT_TRUE(waitUntil([&] { return setting("sim-jobs-received") == "1"; }));
    // The printer answers while it prints; the card is not out yet.
    EXPECT_EQ(setting("cards-printed"), "0");

    // The next job waits for the card: its host cannot have written it all before then.
    std::string printedWhenWritten;
    std::thread writer([&] {
        RawClient second, observer;
        if (!second.connect(sim->port()) || !second.send(job) || !observer.connect(sim->port()))
            return;
        Frame answer;
        if (observer.send(request("<get><param id=\"cards-printed\"/></get>")) &&
            observer.receive(answer))
            printedWhenWritten = answer.prn().child("get-response").child("param").child_value();
    });
    writer.join();
    EXPECT_EQ(printedWhenWritten, "1");
    EXPECT_TRUE(waitUntil([&] { return setting("cards-printed") == "2"; }));
    EXPECT_EQ(jobs.files(), (std::vector<std::string>{"job-0001.prn", "job-0002.prn"}));
}

TEST_F(Wire, ThePtyCarriesTheSameProtocolRaw) {
    start({"--pty"});
    ASSERT_FALSE(sim->ptyPath().empty());
    const int fd = ::open(sim->ptyPath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    RawClient usb(fd);
    // A payload full of line-discipline bytes must arrive unchanged.
    const std::string image("\r\n\x03\x04\x11\x13\x7f\0\xff", 9);
    ASSERT_TRUE(usb.send(request("<update-glintmark><slot>2</slot></update-glintmark>", image)));
    Frame answer;
    ASSERT_TRUE(usb.receive(answer));
    EXPECT_EQ(answer.error(), "");
    ASSERT_TRUE(usb.send(request("<get-glintmark-preview><slot>2</slot>"
                                 "</get-glintmark-preview>")));
    ASSERT_TRUE(usb.receive(answer));
    EXPECT_EQ(answer.payload, image);
    EXPECT_EQ(answer.crcOnWire, answer.crcComputed);
}

TEST(SimulatorProcess, StopsCleanlyOnSignalsAndRefusesBadOptions) {
    for (int signal : {SIGTERM, SIGINT}) {
        SimProcess sim;
        ASSERT_TRUE(sim.started());
        RawClient idle; // a connected host must not hold up the stop
        ASSERT_TRUE(idle.connect(sim.port()));
        EXPECT_EQ(sim.stop(signal), 0);
    }
    std::string output;
    EXPECT_EQ(runSimulator({"--help"}, output), 0);
    EXPECT_NE(output.find("Usage: kalyxsim"), std::string::npos);
    const struct {
        std::vector<std::string> options;
        const char* message;
    } refused[] = {
        {{"--port", "70000"}, "--port needs a number from 0 to 65535"},
        {{"--fault", "teleport"}, "unknown fault item 'teleport'"},
        {{"--track", "4=101"}, "--track needs N=BITS"},
        {{"--usb"}, "--usb needs -- COMMAND"},
        {{"--usb", "--jobs", "/tmp", "--"}, "-- must come after --usb and be followed by COMMAND"},
        {{"--", "true"}, "-- must come after --usb"},
    };
    for (const auto& bad : refused) {
        EXPECT_EQ(runSimulator(bad.options, output), 2) << bad.options[0];
        EXPECT_NE(output.find(bad.message), std::string::npos) << output;
    }
    for (const char* time : {"-1", "1.2345", "3601", ".5", "1.", "x"})
        EXPECT_EQ(runSimulator({"--print-time", time}, output), 2) << time;

    SimProcess holder;
    ASSERT_TRUE(holder.started());
    EXPECT_EQ(runSimulator({"--port", std::to_string(holder.port())}, output), 1);
    EXPECT_NE(output.find("cannot listen"), std::string::npos);
}
