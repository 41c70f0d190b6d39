// `kalyxprn compose`: pictures become planes the document decodes back to the same pictures,
// track texts become bits it decodes back to the same texts, in the order the library composes
// (planes first) and in the other.
#include "FileBytes.h"
#include "KalyxprnRun.h"
#include "SimProcess.h"

#include <kalyxdocument/KlxPrnHolder.h>
#include <kalyxdocument/PrnJobBuilder.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <pugixml.hpp>

#include <gtest/gtest.h>

using kalyxtest::kalyxprn;
using kalyxtest::Result;

namespace {

constexpr int W = 1013, H = 642;

const QString track1 = QStringLiteral("%B4111111111111111^DOE/JANE^29121010000000000000?");
const QString track2 = QStringLiteral(";4111111111111111=2912101?");
const QString track3 = QStringLiteral(";011234567890123456=724724000000000000030300?");

// Every dot distinct enough to catch a swapped plane or a transposed layout, a pure black
// square for K, and a half-transparent strip that must be laid over white.
QImage testPicture() {
    QImage image(W, H, QImage::Format_ARGB32);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            image.setPixel(x, y, qRgb(x % 251, y % 241, (x + 2 * y) % 239 + 1));
    for (int y = 100; y < 200; ++y)
        for (int x = 100; x < 200; ++x)
            image.setPixel(x, y, qRgb(0, 0, 0));
    for (int x = 0; x < W; ++x)
        image.setPixel(x, H - 1, qRgba(0, 0, 0, 128));
    return image;
}

struct Job {
    QByteArray header;
    QByteArray binary;
};

Job split(const QByteArray& job) {
    const int nul = job.indexOf('\0');
    return {job.left(nul), job.mid(nul + 1, job.size() - nul - 5)};
}

// Track bytes of a composed job: they close its binary part, in track order.
qint64 trackBytes(const QByteArray& header) {
    pugi::xml_document doc;
    doc.load_buffer(header.constData(), std::size_t(header.size()));
    qint64 total = 0;
    for (const pugi::xpath_node& n : doc.select_nodes("/prn/card/mag-options/track-options"))
        total += (n.node().child("num-bits").text().as_llong() + 7) / 8;
    return total;
}

class ComposeCommand : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(testPicture().save(path("front.png")));
        QImage blue(101, 64, QImage::Format_RGB32);
        blue.fill(qRgb(0, 0, 255));
        ASSERT_TRUE(blue.save(path("back.png")));
    }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir;
};

TEST_F(ComposeCommand, WithoutTracksTheDocumentShowsTheSamePictures) {
    const Result r = kalyxprn(
        {"compose", "--front", path("front.png"), "--back", path("back.png"), "-o", path("a.prn")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, "");
    const QByteArray job = kalyxtest::readFile(path("a.prn"));
    const auto holder = KlxPrnHolder::fromBytes(job);
    ASSERT_TRUE(holder && holder->isValid());

    const QImage picture = testPicture();
    const QImage front = holder->sideImage(0);
    ASSERT_EQ(front.size(), QSize(W, H));
    int wrong = 0;
    for (int y = 0; y < H - 1; ++y)
        for (int x = 0; x < W; ++x)
            wrong += front.pixel(x, y) != picture.pixel(x, y);
    EXPECT_EQ(wrong, 0);
    // Half-transparent black over white is mid grey.
    EXPECT_NEAR(qRed(front.pixel(5, H - 1)), 127, 1);
    EXPECT_EQ(holder->sideImage(1).pixel(500, 300), qRgb(0, 0, 255));

    // True black is K alone; colours carry no K.
    for (const KlxPrnBlock& b : holder->blocks()) {
        if (b.side != 0)
            continue;
        const char* plane = job.constData() + holder->binaryOffset() + b.offset;
        EXPECT_EQ(quint8(plane[150 * H + 150]), b.panel == 'k' ? 255 : 0) << b.panel;
        if (b.panel == 'k') {
            EXPECT_EQ(quint8(plane[300 * H + 50]), 0);
        }
    }
}

// Pixels of the front that differ from the composed picture (the half-transparent row aside).
int wrongPixels(const KlxPrnHolder& holder) {
    const QImage front = holder.sideImage(0), picture = testPicture();
    if (front.size() != picture.size())
        return -1;
    int wrong = 0;
    for (int y = 0; y < H - 1; ++y)
        for (int x = 0; x < W; ++x)
            wrong += front.pixel(x, y) != picture.pixel(x, y);
    return wrong;
}

TEST_F(ComposeCommand, JobsWithTracksReadBackAsComposedInEitherOrder) {
    const QList<QStringList> trackSets = {
        {"--track1", track1, "--track2", track2, "--track3", track3},
        {"--track2", track2},
        {"--track1", "%A?"},
    };
    for (const QStringList& set : trackSets) {
        const Result r = kalyxprn(
            QStringList{"compose", "--front", path("front.png"), "-o", path("t.prn")} + set);
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(r.err, ""); // no caveat any more
        const QByteArray job = kalyxtest::readFile(path("t.prn"));
        const Job parts = split(job);
        const qint64 tracks = trackBytes(parts.header);
        ASSERT_GT(tracks, 0);
        // As composed (planes first), and with the track bytes moved to the front.
        const QByteArray reordered = PrnJobBuilder::frame(
            parts.header, parts.binary.right(int(tracks)) + parts.binary.chopped(int(tracks)));
        for (const bool composed : {true, false}) {
            const QByteArray& bytes = composed ? job : reordered;
            const auto holder = KlxPrnHolder::fromBytes(bytes);
            ASSERT_TRUE(holder && holder->isValid());
            EXPECT_EQ(holder->recognisedBlockOrder().order,
                      composed ? Orvane::BlockOrder::PlanesFirst : Orvane::BlockOrder::TracksFirst);
            EXPECT_EQ(wrongPixels(*holder), 0) << set.join(' ').toStdString();
            for (int i = 0; i + 1 < set.size(); i += 2) {
                const int t = set.at(i).back().digitValue();
                EXPECT_EQ(holder->trackText(t, t == 1 ? 7 : 5), set.at(i + 1));
            }
        }
        // check and info say which order they read.
        EXPECT_EQ(kalyxprn({"check", path("t.prn")}).out,
                  path("t.prn") + ": valid (read planes first)\n");
        const Result info = kalyxprn({"info", "--json", path("t.prn")});
        EXPECT_TRUE(info.out.contains("\"blockOrder\":\"planes-first\"")) << info.out.toStdString();
        const Result mag = kalyxprn({"mag", path("t.prn")});
        EXPECT_TRUE(mag.out.contains(set.at(1))) << mag.out.toStdString();
    }
}

TEST_F(ComposeCommand, TrackBitsReadBackFromAPrinterAsTheText) {
    ASSERT_EQ(
        kalyxprn({"compose", "--front", path("back.png"), "--track2", track2, "-o", path("t.prn")})
            .status,
        0);
    const Job parts = split(kalyxtest::readFile(path("t.prn")));
    const QByteArray bytes = parts.binary.right(int(trackBytes(parts.header)));
    pugi::xml_document doc;
    doc.load_buffer(parts.header.constData(), std::size_t(parts.header.size()));
    const int n = doc.select_node("//track-options[@track='2']/num-bits").node().text().as_int();
    ASSERT_EQ(n, (track2.size() + 1) * 5);
    QString bits;
    for (int i = 0; i < n; ++i)
        bits += (quint8(bytes[i / 8]) >> (7 - i % 8)) & 1 ? '1' : '0';

    kalyxtest::SimProcess sim;
    ASSERT_TRUE(sim.started());
    const QString tcp = QStringLiteral("127.0.0.1:%1").arg(sim.port());
    ASSERT_EQ(kalyxprn({"printer", "--tcp", tcp, "set", "sim-mag-track2=" + bits}).status, 0);
    ASSERT_EQ(kalyxprn({"printer", "--tcp", tcp, "move", "to-contact"}).status, 0);
    const Result read = kalyxprn({"printer", "--tcp", tcp, "mag-read"});
    EXPECT_TRUE(read.out.contains("Track 2 data: " + track2 + "\n")) << read.out.toStdString();
}

TEST_F(ComposeCommand, OptionsShapeTheJob) {
    QImage green(40, 40, QImage::Format_RGB32);
    green.fill(qRgb(0, 200, 0));
    ASSERT_TRUE(green.save(path("green.png")));
    const Result r = kalyxprn(
        {"compose", "--front", path("green.png"), "--option", "card-options/width=600", "--option",
         "/prn/card/card-options/num-copies=3", "--option", "side-options/0/k/x-density=600",
         "--option", "side-options/front/o/watermark-index=2", "--option",
         "mag-options/coercivity=low", "-o", path("o.prn")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const auto holder = KlxPrnHolder::fromBytes(kalyxtest::readFile(path("o.prn")));
    ASSERT_TRUE(holder && holder->isValid());
    EXPECT_EQ(holder->cardWidth(), 600u);
    EXPECT_EQ(holder->nodeText("/prn/card/card-options/num-copies"), "3");
    EXPECT_EQ(holder->nodeText("/prn/card/mag-options/coercivity"), "low");
    EXPECT_TRUE(holder->hasPanel(0, 'o'));
    for (const KlxPrnBlock& b : holder->blocks())
        if (b.panel == 'k') {
            EXPECT_EQ(b.size, 2 * 600 * H);
        }
    EXPECT_EQ(holder->sideImage(0).pixel(599, 641), qRgb(0, 200, 0));
}

TEST_F(ComposeCommand, BadTextsAndPicturesExitOneAndWriteNothing) {
    // The arguments and what the message must say.
    const QList<QStringList> invalid = {
        {"--track1", "%Bdoe?",
         "track 1 holds only the characters from ' ' to '_': 'd' at "
         "position 3"},
        {"--track2", ";12A4?",
         "track 2 holds only the characters from '0' to '?': 'A' at "
         "position 4"},
        {"--track3", "", "the text for track 3 is empty"},
        {"--track2", QString(40, '1'), "track 2 holds at most 39 characters; the text has 40"},
        {"--option", "card-options/width=5000",
         "card width '5000' is not a number from 506 to "
         "2026"},
        {"--front", path("absent.png"), "absent.png: no such file"},
        {"--front", path("junk.png"), "junk.png: not an image Qt can read"},
    };
    ASSERT_TRUE(kalyxtest::writeFile(path("junk.png"), "not a picture"));
    for (const QStringList& item : invalid) {
        const Result r =
            kalyxprn(QStringList{"compose", "--front", path("front.png"), "-o", path("x.prn")} +
                     item.mid(0, 2));
        EXPECT_EQ(r.status, 1) << item.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("kalyxprn compose: ")) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(item[2])) << r.err.toStdString();
    }
    // A few bytes that announce a picture too large to decode.
    ASSERT_TRUE(kalyxtest::writeFile(path("huge.ppm"), "P6\n9000 9000\n255\nabc"));
    const Result huge = kalyxprn({"compose", "--front", path("huge.ppm"), "-o", path("x.prn")});
    EXPECT_EQ(huge.status, 1);
    EXPECT_TRUE(huge.err.contains("million pixels")) << huge.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("x.prn")));
    // 39 characters fit.
    EXPECT_EQ(kalyxprn({"compose", "--front", path("back.png"), "--track2", QString(39, '1'), "-o",
                        path("x.prn")})
                  .status,
              0);
}

TEST_F(ComposeCommand, UsageErrorsExitTwo) {
    const QString front = path("front.png");
    const QList<QStringList> wrong = {
        {"-o", path("x.prn")},
        {"--front", front},
        {"--front", front, "-o", path("x.prn"), "--tcp", "127.0.0.1"},
        {"--front", front, "-o", path("x.prn"), "--option", "side-options/1/k/x-density=600"},
        {"--front", front, "-o", path("x.prn"), "--option", "track-options/2/bpi=75"},
        {"--front", front, "-o", path("x.prn"), "--track1", "%A?", "--option",
         "track-options/1/num-bits=9"},
        {"--front", front, "-o", path("x.prn"), "--option", "card-options/bad name=1"},
        {"--front", front, "-o", path("x.prn"), "--option", "card/width=700"},
        {"--front", front, "-o", path("x.prn"), "--black-level", "300"},
        {"--front", front, "-o", path("x.prn"), "--option", "card-options/x=a\x01b"},
        // Values the window's editor would refuse.
        {"--front", front, "-o", path("x.prn"), "--option", "card-options/num-copies=abc"},
        {"--front", front, "-o", path("x.prn"), "--option", "card-options/pre-rotate=maybe"},
        {"--front", front, "-o", path("x.prn"), "--option", "mag-options/encode-attempts=4"},
    };
    for (const QStringList& args : wrong)
        EXPECT_EQ(kalyxprn(QStringList{"compose"} + args).status, 2)
            << args.join(' ').toStdString();
    EXPECT_FALSE(QFile::exists(path("x.prn")));
    // --force takes them; an unknown name is taken with a warning naming the known ones.
    EXPECT_EQ(kalyxprn({"compose", "--front", front, "-o", path("x.prn"), "--force", "--option",
                        "card-options/num-copies=abc"})
                  .status,
              0);
    const Result unknown = kalyxprn(
        {"compose", "--front", front, "-o", path("y.prn"), "--option", "card-options/bogus=1"});
    EXPECT_EQ(unknown.status, 0);
    EXPECT_TRUE(unknown.err.contains("warning: 'card-options/bogus' is not an option of "
                                     "card-options (known: num-copies,"))
        << unknown.err.toStdString();
}

TEST_F(ComposeCommand, ComposedJobsReachPrintersOverTcpAndUsb) {
    const QString jobs = path("jobs");
    QDir().mkpath(jobs);
    kalyxtest::SimProcess sim({"--pty", "--jobs", jobs.toStdString()});
    ASSERT_TRUE(sim.started());
    ASSERT_FALSE(sim.ptyPath().empty());
    const QStringList base = {"compose", "--front", path("front.png"), "--track2", track2};
    ASSERT_EQ(kalyxprn(base + QStringList{"-o", path("c.prn")}).status, 0);
    const QByteArray local = kalyxtest::readFile(path("c.prn"));

    Result r =
        kalyxprn(base + QStringList{"--tcp", QStringLiteral("127.0.0.1:%1").arg(sim.port())});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    r = kalyxprn(base + QStringList{"--usb", QString::fromStdString(sim.ptyPath())});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    for (const char* name : {"/job-0001.prn", "/job-0002.prn"}) {
        const QByteArray stored = kalyxtest::waitForFile(jobs + name, local.size());
        // Only the time of composition may differ.
        EXPECT_EQ(stored.size(), local.size()) << name;
        EXPECT_EQ(split(stored).binary, split(local).binary) << name;
    }
}

} // namespace
