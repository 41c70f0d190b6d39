// Request framing and the receiver's rules, against a scripted transport.
#include "ScriptedSession.h"
#include "WireFrame.h"

#include "PrinterImpl.h"

#include <kalyxcomms/Printer.h>

#include <gtest/gtest.h>

#include <ctime>
#include <set>

using namespace Orvane;
using namespace kalyxtest;

namespace {

std::string textOfLength(std::size_t length) {
    const std::string head = "<prn><x>";
    const std::string tail = "</x></prn>";
    return head + std::string(length - head.size() - tail.size(), 'a') + tail;
}

// Feeds one response to the internal receiver.
bool receiveOnly(const std::string& input, PrnMessage& message) {
    PrinterImpl impl(std::make_unique<ScriptedSession>(input));
    return impl.receive(message);
}

} // namespace

TEST(RequestFraming, EjectIsDeclarationDocumentNulAndCrcInOneWrite) {
    ScriptedPrinter s(
        answer("<card-move-response><position>standby</position></card-move-response>"));
    CardPosition position = Unrecognised;
    std::string err = "stale";
    const auto before = std::time(nullptr);
    ASSERT_TRUE(s.printer.moveCard(Eject, position, err));

    const Frame request(s.session->written);
    EXPECT_TRUE(request.crcOk());
    EXPECT_EQ(request.textWithoutTime(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?><prn><card-move><action>eject</action>"
              "</card-move><binary-size>0</binary-size><time></time></prn>");
    const long long sent = request.prn().child("time").text().as_llong();
    EXPECT_GE(sent, before);
    EXPECT_LE(sent, std::time(nullptr));
    EXPECT_TRUE(request.payload.empty());
    EXPECT_EQ(s.session->writeCalls, 1);
    EXPECT_EQ(position, Standby);
    EXPECT_EQ(err, "");
}

TEST(RequestFraming, PayloadFollowsTheNulAndIsCounted) {
    // A small payload goes out with its header in one write, a large one is not copied for that:
    // the bytes are the same either way.
    for (const std::size_t size : {std::size_t{5}, std::size_t{64 * 1024}, std::size_t{200000}}) {
        std::vector<unsigned char> file(size);
        for (std::size_t i = 0; i < size; ++i)
            file[i] = static_cast<unsigned char>(i * 7 + (i >> 8));
        ScriptedPrinter s(answer("<update-software-response/>"));
        std::string err;
        ASSERT_TRUE(s.printer.updateSoftware(file, err)) << size;
        const Frame request(s.session->written);
        EXPECT_TRUE(request.crcOk()) << size;
        EXPECT_TRUE(request.payload == std::string(file.begin(), file.end())) << size;
        EXPECT_EQ(request.prn().child("binary-size").text().as_uint(), size);
        EXPECT_EQ(s.session->writeCalls, size > 64 * 1024 ? 3 : 1) << size;
    }
}

TEST(RequestFraming, ResentJobKeepsItsDeclarationAndReplacesSizeAndTimeInPlace) {
    PrnMessage message;
    const char job[] = "<?xml version=\"1.0\"?><prn><binary-size>99</binary-size><time>5</time>"
                       "<card/></prn>";
    ASSERT_TRUE(message.document.load_string(job, pugi::parse_default | pugi::parse_declaration));
    message.payload = {7, 7, 7};
    auto owned = std::make_unique<ScriptedSession>();
    ScriptedSession* session = owned.get();
    PrinterImpl impl(std::move(owned));
    ASSERT_TRUE(impl.send(message));
    const Frame request(session->written);
    EXPECT_TRUE(request.crcOk());
    EXPECT_EQ(request.textWithoutTime(),
              "<?xml version=\"1.0\"?><prn><binary-size>3</binary-size><time></time><card/></prn>");
}

TEST(RequestFraming, FailuresStopTheRequest) {
    {
        auto owned = std::make_unique<ScriptedSession>();
        owned->refuseTimeouts = true;
        ScriptedPrinter s(std::move(owned));
        std::string err;
        EXPECT_FALSE(s.printer.save(err));
        EXPECT_EQ(s.session->writeCalls, 0);
    }
    {
        auto owned = std::make_unique<ScriptedSession>(answer("<save-response/>"));
        owned->failWriteCall = 1;
        ScriptedPrinter s(std::move(owned));
        std::string err = "kept";
        EXPECT_FALSE(s.printer.save(err));
        EXPECT_EQ(s.session->writeCalls, 1);
        EXPECT_EQ(s.session->readCalls, 0);
        EXPECT_EQ(err, "kept");
    }
    for (const int failing : {2, 3}) { // a large payload, then its CRC
        auto owned = std::make_unique<ScriptedSession>(answer("<update-software-response/>"));
        owned->failWriteCall = failing;
        ScriptedPrinter s(std::move(owned));
        std::string err = "kept";
        EXPECT_FALSE(s.printer.updateSoftware(std::vector<unsigned char>(100000), err));
        EXPECT_EQ(s.session->writeCalls, failing);
        EXPECT_EQ(s.session->readCalls, 0);
    }
}

TEST(Receive, StrayBytesBeforeTheTextAreSkippedAndNotChecksummed) {
    PrnMessage message;
    EXPECT_TRUE(receiveOnly("\x01garbage\0\xFF" + answer("<a/>"), message));
    EXPECT_TRUE(message.document.child("prn").child("a"));
}

TEST(Receive, TextLimitIs4096BytesBeforeTheNul) {
    PrnMessage message;
    EXPECT_TRUE(receiveOnly(frame(textOfLength(4096)), message));
    EXPECT_FALSE(receiveOnly(frame(textOfLength(4097)), message));
}

TEST(Receive, PayloadLimitIs100MiBAndALargerOneIsNotRead) {
    const std::size_t limit = 104857600;
    {
        PrnMessage message;
        std::string payload(limit, '\x5A');
        payload.back() = '!';
        EXPECT_TRUE(receiveOnly(
            frame("<prn><binary-size>" + std::to_string(limit) + "</binary-size></prn>", payload),
            message));
        ASSERT_EQ(message.payload.size(), limit);
        EXPECT_EQ(message.payload.back(), '!');
    }
    {
        const std::string text = "<prn><binary-size>104857601</binary-size></prn>";
        auto owned = std::make_unique<ScriptedSession>(frame(text, std::string(64, 'p')));
        ScriptedSession* session = owned.get();
        PrinterImpl impl(std::move(owned));
        PrnMessage message;
        EXPECT_FALSE(impl.receive(message));
        EXPECT_EQ(session->pos, text.size() + 1); // stopped right after the 0x00
    }
}

TEST(Receive, MalformedResponsesFail) {
    PrnMessage message;
    // no binary-size: the four bytes after the NUL are the CRC
    EXPECT_TRUE(receiveOnly(frame("<prn/>"), message));
    EXPECT_TRUE(message.payload.empty());
    EXPECT_FALSE(receiveOnly(frame("<prn/>", {}, true), message)) << "CRC most significant first";
    EXPECT_FALSE(receiveOnly(frame("<prn><unclosed></prn>"), message));
    EXPECT_FALSE(receiveOnly(frame("<prn><binary-size>8</binary-size></prn>", "1234"), message))
        << "payload shorter than announced";
    EXPECT_FALSE(receiveOnly("<prn/>", message)) << "text without its NUL";
}

TEST(Receive, APeerThatNeverSendsTextEndsTheExchange) {
    // Every read succeeds but no "<" ever comes.
    class Endless : public ScriptedSession {
    public:
        bool read(char* buffer, int length) override {
            std::memset(buffer, 'x', static_cast<std::size_t>(length));
            ++served;
            return true;
        }
        std::uint64_t served = 0;
    };
    auto owned = std::make_unique<Endless>();
    Endless* session = owned.get();
    PrinterImpl impl(std::move(owned));
    PrnMessage message;
    message.readTimeoutMs = 0; // no time limit: only the count of skipped bytes ends it
    EXPECT_FALSE(impl.receive(message));
    EXPECT_EQ(impl.failure, FailureReason::MalformedFrame);
    EXPECT_LT(session->served, 110000000u);
}

TEST(Receive, ABrokenResponseLeavesTheTransportUsableForTheNext) {
    ScriptedPrinter s(frame("<prn><error>first</error></prn>", {}, true) +
                      answer("<save-response/><error>second</error>"));
    std::string err;
    EXPECT_FALSE(s.printer.save(err));
    EXPECT_EQ(err, "");
    EXPECT_TRUE(s.printer.save(err));
    EXPECT_EQ(err, "second");
}

TEST(Receive, ErrorTextIsThePrintersOrEmpty) {
    ScriptedPrinter s(answer("<error-clear-response/><error>ribbon out</error>") +
                      answer("<error-clear-response/>"));
    std::string err;
    EXPECT_TRUE(s.printer.clearError(RetryCurrentPrintJob, err));
    EXPECT_EQ(err, "ribbon out");
    EXPECT_TRUE(s.printer.clearError(CancelCurrentPrintJob, err));
    EXPECT_EQ(err, "");
}

TEST(RawWrite, SendsBytesUnframedWithTheWriteTimeout) {
    ScriptedPrinter s;
    EXPECT_TRUE(s.printer.write("\0ab", 3));
    EXPECT_TRUE(s.printer.write("", 0));
    EXPECT_EQ(s.session->written, std::string("\0ab", 3));
    EXPECT_EQ(s.session->writeTimeouts, (std::vector<std::uint32_t>{30000, 30000}));
    EXPECT_FALSE(s.printer.write("x", -1));
}

TEST(FailureReasons, EachBrokenAnswerSaysWhyAndASuccessClearsIt) {
    const std::string ok = answer("<save-response/>");
    const struct {
        std::string input;
        FailureReason reason;
    } cases[] = {
        {frame("<prn/>", {}, true), FailureReason::BadChecksum},
        {frame("<prn><unclosed></prn>"), FailureReason::MalformedFrame},
        {frame(textOfLength(4097)), FailureReason::OversizedAnswer},
        {frame("<prn><binary-size>104857601</binary-size></prn>"), FailureReason::OversizedAnswer},
        {answer("<save-response/><error>ribbon out</error>"), FailureReason::PrinterRefused},
        // A session from outside the library cannot say why its read failed.
        {ok.substr(0, ok.size() - 2), FailureReason::ReadFailed},
    };
    for (const auto& c : cases) {
        ScriptedPrinter s(c.input);
        EXPECT_EQ(s.printer.lastFailure(), FailureReason::None);
        std::string err;
        EXPECT_EQ(s.printer.save(err), c.reason == FailureReason::PrinterRefused) << c.input;
        EXPECT_EQ(s.printer.lastFailure(), c.reason) << c.input;
    }
    ScriptedPrinter s(ok);
    std::string err;
    ASSERT_TRUE(s.printer.write("x", 1));
    EXPECT_FALSE(s.printer.write(nullptr, 1));
    EXPECT_EQ(s.printer.lastFailure(), FailureReason::BadArgument);
    EXPECT_TRUE(s.printer.save(err));
    EXPECT_EQ(s.printer.lastFailure(), FailureReason::None);
    s.session->failWriteCall = s.session->writeCalls + 1;
    EXPECT_FALSE(s.printer.save(err));
    EXPECT_EQ(s.printer.lastFailure(), FailureReason::WriteFailed);

    // Every reason has words of its own.
    std::set<std::string> names;
    for (int r = 0; r <= static_cast<int>(FailureReason::OutOfMemory); ++r)
        names.insert(failureName(static_cast<FailureReason>(r)));
    EXPECT_EQ(names.size(), static_cast<std::size_t>(FailureReason::OutOfMemory) + 1);
}
