#include "TestJobs.h"

#include <prnformat/Crc32.h>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

namespace {

const QString checksumWarning = QStringLiteral("The file has invalid checksum, continuing...");

// A 506 x 1 card: the smallest valid plane (506 bytes) keeps the jobs tiny.
const std::string smallCard = "<card-options><width>506</width><height>1</height></card-options>";

std::string withCard(const std::string& inner) {
    return "<?xml version=\"1.0\"?><prn><card>" + smallCard + inner + "</card></prn>";
}

TEST(Checksum, PublishedCheckValueAndStorageOrder) {
    const QByteArray bytes = QByteArray("123456789") + QByteArray("\x18\x19\x89\xFC", 4);
    const Loaded loaded = loadBytes(bytes);
    EXPECT_EQ(loaded->computedChecksum(), 0xFC891918u);
    EXPECT_TRUE(loaded->checksumMatches());
    EXPECT_TRUE(loaded.messages.isEmpty()); // no NUL: invalid, silently
    EXPECT_FALSE(loaded->isValid());
}

TEST(Checksum, MismatchWarnsAndLoadingContinues) {
    QByteArray bytes = job(withCard("<side-options side=\"0\"><panel-options panel=\"k\"/>"
                                    "</side-options>"),
                           filled(506, 1));
    bytes[bytes.size() - 1] = char(bytes[bytes.size() - 1] ^ 0x01);
    const Loaded loaded = loadBytes(bytes);
    EXPECT_TRUE(loaded->isValid());
    EXPECT_EQ(loaded.messages, QStringList{checksumWarning});

    const Loaded tiny = loadBytes(QByteArray("<a", 2)); // too short to hold a checksum
    EXPECT_EQ(tiny.messages, QStringList{checksumWarning});
    EXPECT_FALSE(tiny->isValid());
}

TEST(Load, MessagesOfALaterValidationFollowThoseOfTheLoad) {
    QByteArray bytes = job(withCard("<side-options side=\"0\"><panel-options panel=\"k\"/>"
                                    "</side-options>"),
                           filled(506, 1));
    bytes[bytes.size() - 1] = char(bytes[bytes.size() - 1] ^ 0x01);
    const Loaded loaded = loadBytes(bytes);
    ASSERT_TRUE(loaded->setNodeText("width", "/prn/card/card-options", "3000"));
    const std::string noneHidden[2];
    EXPECT_FALSE(loaded->validateCard(noneHidden, true));
    EXPECT_EQ(loaded->messages(), (QStringList{checksumWarning, "Invalid image width 3000"}));
}

TEST(Load, SilentFailuresLeaveTheHolderInvalid) {
    QTemporaryDir dir;
    KlxPrnHolder missing(dir.filePath(QStringLiteral("absent.prn")));
    EXPECT_FALSE(missing.isValid());
    EXPECT_FALSE(missing.loadError().isEmpty());

    QByteArray noNul("<prn/>");
    unsigned char crc[4];
    Orvane::storeCrcLe(Orvane::crc32(noNul.constData(), std::size_t(noNul.size())), crc);
    noNul.append(reinterpret_cast<const char*>(crc), 4);
    for (const QByteArray& bytes : {job("<prn><card>") /* not well-formed */, noNul}) {
        const Loaded loaded = loadBytes(bytes);
        EXPECT_FALSE(loaded->isValid());
        EXPECT_TRUE(loaded.messages.isEmpty()) << loaded.messages.join("|").toStdString();
        EXPECT_FALSE(loaded->loadError().isEmpty());
    }
}

struct FailureCase {
    std::string header;
    int binarySize;
    QString message;
};

TEST(Load, EachFailureHasItsMessage) {
    const std::string k = "<side-options side=\"0\"><panel-options panel=\"k\"/></side-options>";
    const std::string track2 = "<track-options track=\"2\"><num-bits>8</num-bits><bpi>75</bpi>"
                               "</track-options>";
    const std::vector<FailureCase> cases = {
        {withCard("<mag-options><track-options/></mag-options>"), 0,
         "Missing mandatory track attribute"},
        {withCard("<mag-options><track-options track=\"4\"/></mag-options>"), 0,
         "Invalid 'track' attribute 4"},
        {withCard("<mag-options><track-options track=\"-1\"/></mag-options>"), 0,
         "Invalid 'track' attribute -1"},
        {withCard("<mag-options>" + track2 + track2 + "</mag-options>"), 2,
         "Multiple instances of track-options 1"},
        {withCard("<mag-options><track-options track=\"3\"><num-bits>8</num-bits>"
                  "</track-options></mag-options>"),
         1, "Both num-bits and bpi must be specified for 2"},
        {"<prn><card><card-options><image-format>other</image-format></card-options>" + k +
             "</card></prn>",
         650346, "Unsupported image format"},
        {"<prn><card><card-options><width>505</width><height>643</height></card-options>" + k +
             "</card></prn>",
         0, "Invalid image width 505"},
        {"<prn><card><card-options><width>2027</width></card-options>" + k + "</card></prn>", 0,
         "Invalid image width 2027"},
        {"<prn><card><card-options><height>643</height></card-options>" + k + "</card></prn>", 0,
         "Invalid image height 643"},
        {withCard(""), 0, "Missing side-options"},
        {withCard("<side-options/>"), 0, "Missing mandatory side attribute"},
        {withCard("<side-options side=\"2\"/>"), 0, "Invalid 'side' attribute 2"},
        {withCard("<side-options side=\"0\"/><side-options side=\"0\"/>"), 0,
         "Multiple instances of side-options 0"},
        {withCard("<side-options side=\"0\"><panel-options/></side-options>"), 0,
         "Invalid panel attribute"},
        {withCard("<side-options side=\"0\"><panel-options panel=\"yk\"/></side-options>"), 0,
         "Invalid panel attribute"},
        {withCard("<side-options side=\"0\"><panel-options panel=\"x\"/></side-options>"), 0,
         "Invalid panel id"},
    };
    for (const FailureCase& c : cases) {
        const Loaded loaded = loadBytes(job(c.header, filled(c.binarySize, 0)));
        EXPECT_FALSE(loaded->isValid()) << c.header;
        EXPECT_EQ(loaded.messages, QStringList{c.message}) << c.header;
    }
}

TEST(Load, LengthRuleCountsTracksAndDoubleDensity) {
    // Track of 9 bits = 2 bytes; K at 600 dpi = 2 x 506 bytes; the overlay adds nothing and an
    // x-density other than 600 keeps the single size.
    const std::string header = withCard(
        "<side-options side=\"0\"><panel-options panel=\"k\"><x-density>600</x-density>"
        "</panel-options><panel-options panel=\"o\"><x-density>600</x-density></panel-options>"
        "<panel-options panel=\"y\"><x-density>1200</x-density></panel-options></side-options>"
        "<mag-options><track-options track=\"1\"><num-bits>9</num-bits><bpi>210</bpi>"
        "</track-options></mag-options>");
    const int binary = 2 + 2 * 506 + 506;
    const qint64 expected = qint64(header.size()) + 1 + binary + 4;
    EXPECT_TRUE(loadBytes(job(header, filled(binary, 0)))->isValid());

    for (int delta : {-1, +1}) {
        const Loaded loaded = loadBytes(job(header, filled(binary + delta, 0)));
        EXPECT_FALSE(loaded->isValid());
        EXPECT_EQ(loaded.messages,
                  QStringList{QStringLiteral("Incorrect length, expected %1").arg(expected)});
    }
}

TEST(Load, TrackOnlyJobsAndOversizedTracks) {
    const std::string tracks = withCard("<mag-options><track-options track=\"2\"><num-bits>16"
                                        "</num-bits><bpi>75</bpi></track-options></mag-options>");
    const Loaded valid = loadBytes(job(tracks, filled(2, 0x55)));
    EXPECT_TRUE(valid->isValid());
    EXPECT_TRUE(valid->hasMagData());
    EXPECT_EQ(valid->trackData(2), reinterpret_cast<const unsigned char*>(
                                       valid->rawBytes().constData() + valid->binaryOffset()));

    // The tracks claim 512 MiB: magnetic validation passes, the side's length test fails before
    // anything is decoded.
    const std::string huge = withCard(
        "<side-options side=\"0\"><panel-options panel=\"k\"/></side-options><mag-options>"
        "<track-options track=\"1\"><num-bits>4294967295</num-bits><bpi>1</bpi></track-options>"
        "</mag-options>");
    const Loaded loaded = loadBytes(job(huge, filled(506, 0)));
    EXPECT_FALSE(loaded->isValid());
    const qint64 expected = qint64(huge.size()) + 1 + 536870912 + 506 + 4;
    EXPECT_EQ(loaded.messages,
              QStringList{QStringLiteral("Incorrect length, expected %1").arg(expected)});
    EXPECT_TRUE(loaded->sideImage(0).isNull());
}

TEST(Load, CardSizeDefaultsAndBounds) {
    auto load = [](const std::string& options, int planeSize) {
        return loadBytes(job("<prn><card><card-options>" + options +
                                 "</card-options><side-options side=\"0\">"
                                 "<panel-options panel=\"k\"/></side-options></card></prn>",
                             filled(planeSize, 0)));
    };
    const Loaded defaults = load("<width>0</width><height>0</height>", 1013 * 642);
    EXPECT_TRUE(defaults->isValid());
    EXPECT_EQ(defaults->cardWidth(), 1013u);
    EXPECT_EQ(defaults->cardHeight(), 642u);
    EXPECT_TRUE(load("<width>506</width><height>642</height>", 506 * 642)->isValid());
    EXPECT_TRUE(load("<width>2026</width><height>1</height>", 2026)->isValid());
}

TEST(Load, BinarySizeThatDisagreesChangesNothing) {
    PrnJobBuilder builder;
    PrnJobBuilder::setText(builder.cardOptions(), "width", "506");
    PrnJobBuilder::setText(builder.cardOptions(), "height", "1");
    builder.addPanel(builder.addSide(0), 'k', filled(506, 9));
    QByteArray header = builder.header();
    header.replace("<binary-size>506</binary-size>", "<binary-size>7</binary-size>");
    ASSERT_TRUE(header.contains("<binary-size>7</binary-size>"));
    EXPECT_TRUE(loadBytes(PrnJobBuilder::frame(header, builder.binaryPart()))->isValid());
}

TEST(Load, RepeatedPanelCountsTwiceAndTheLaterPlaneWins) {
    const std::string header = withCard("<side-options side=\"0\"><panel-options panel=\"k\"/>"
                                        "<panel-options panel=\"k\"/></side-options>");
    const Loaded loaded = loadBytes(job(header, filled(506, char(255)) + filled(506, 0)));
    ASSERT_TRUE(loaded->isValid());
    EXPECT_EQ(loaded->sideImage(0).pixel(0, 0), 0xFFFFFFFFu);
}

TEST(Load, HostileInputGivesAClearResult) {
    // Deep nesting, bytes that are not UTF-8, a byte-order mark claiming UTF-16.
    std::string deep = "<prn>";
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    for (int i = 0; i < 100000; ++i)
        deep += "</a>";
    deep += "</prn>";
    const Loaded nested = loadBytes(job(deep));
    EXPECT_FALSE(nested->isValid());
    EXPECT_EQ(nested.messages, QStringList{"Missing side-options"});

    EXPECT_FALSE(loadBytes(job("<prn>\xFF\xFE\xC3</prn>"))->isValid());
    EXPECT_FALSE(loadBytes(job("\xFF\xFE<\0p\0r\0n\0/\0>\0"))->isValid());
}

TEST(Load, FilesFarLargerThanAnyJobAreRefusedWithoutReadingThem) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("huge.prn"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(qint64(4) << 30)); // sparse: costs no disk
    }
    KlxPrnHolder huge(path);
    EXPECT_FALSE(huge.isValid());
    ASSERT_EQ(huge.messages().size(), 1);
    EXPECT_TRUE(huge.messages().first().contains(QString::number(KlxPrnHolder::maxJobSize)));
    EXPECT_TRUE(huge.rawBytes().isEmpty());

    // An endless device is cut off at the limit too.
    KlxPrnHolder endless(QStringLiteral("/dev/zero"));
    EXPECT_FALSE(endless.isValid());
    EXPECT_EQ(endless.messages(), huge.messages());
}

TEST(Load, XPathQueriesNeverThrow) {
    const Loaded loaded =
        loadBytes(job(withCard("<side-options side=\"0\"><panel-options panel=\"k\"/>"
                               "</side-options>"),
                      filled(506, 0)));
    ASSERT_TRUE(loaded->isValid());
    for (const char* bad : {"/prn/card[", "", "1+1", "count(//*)", "///"}) {
        EXPECT_TRUE(loaded->nodeText(bad).isNull()) << bad;
        EXPECT_FALSE(loaded->hasNode(bad)) << bad;
        EXPECT_TRUE(loaded->selectNodes(bad).empty()) << bad;
    }
    EXPECT_TRUE(loaded->hasSide(0));
    EXPECT_FALSE(loaded->hasSide(1));
    EXPECT_TRUE(loaded->hasPanel(0, 'k'));
    EXPECT_FALSE(loaded->hasPanel(0, '\''));
    EXPECT_EQ(loaded->nodeText("prn/card/card-options/width"), QStringLiteral("506"));
    EXPECT_EQ(loaded->nodeText("/prn/card/side-options/@side"), QStringLiteral("0"));

    const pugi::xpath_node_set reversed =
        loaded->selectNodes("/prn/card/side-options/panel-options/ancestor::*");
    ASSERT_EQ(reversed.size(), 3u); // prn, card, side-options, in document order
    EXPECT_STREQ(reversed[0].node().name(), "prn");
    EXPECT_STREQ(reversed[2].node().name(), "side-options");

    const pugi::xpath_node_set sides = loaded->selectNodes("/prn/card/side-options");
    ASSERT_EQ(sides.size(), 1u);
    EXPECT_EQ(loaded->childText(sides[0], "panel-options/@panel"), QStringLiteral("k"));
    const QString none = loaded->childText(sides[0], "patch-options");
    EXPECT_TRUE(none.isEmpty() && !none.isNull());
    EXPECT_TRUE(loaded->childText(pugi::xpath_node(), "x").isNull());
    EXPECT_TRUE(loaded->childText(sides[0], "[").isEmpty());
}

} // namespace
