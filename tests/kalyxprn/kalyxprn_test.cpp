// kalyxprn end to end: the built program run on generated jobs.
#include "FileBytes.h"
#include "FileNameBytes.h"
#include "KalyxprnRun.h"

#include <kalyxdocument/PrnJobBuilder.h>

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <algorithm>
#include <tuple>

#include <gtest/gtest.h>

namespace {

using kalyxtest::kalyxprn;
using kalyxtest::Result;

class Kalyxprn : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        sample = path("sample.prn");
        const Result run = kalyxprn({"sample", "-o", sample});
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
    }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QString write(const char* name, const QByteArray& bytes) const {
        EXPECT_TRUE(kalyxtest::writeFile(path(name), bytes));
        return path(name);
    }
    QTemporaryDir dir;
    QString sample;
};

TEST_F(Kalyxprn, CheckReportsValidityAndEveryMessage) {
    EXPECT_EQ(kalyxprn({"check", sample}).out, sample + ": valid (read tracks first)\n");

    QByteArray bad = PrnJobBuilder::frame(
        "<prn><card><side-options side=\"0\"><panel-options panel=\"x\"/></side-options></card>"
        "</prn>",
        {});
    bad[bad.size() - 1] = char(bad[bad.size() - 1] ^ 1);
    // A name JSON must escape, and one that a careless QString::arg() would rewrite.
    const QString badFile = write("b\"a\\d %1.prn", bad);
    const Result text = kalyxprn({"check", sample, badFile});
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.out, sample + ": valid (read tracks first)\n" + badFile +
                            ": invalid: The file has invalid checksum, continuing...; "
                            "Invalid panel id\n");

    // Valid, but printers would drop it: a wrong checksum, a header text over 1 MiB.
    QByteArray damaged = kalyxtest::readFile(sample);
    damaged[damaged.size() - 1] = char(damaged[damaged.size() - 1] ^ 1);
    const int nul = damaged.indexOf('\0');
    const QByteArray bulky =
        PrnJobBuilder::frame(damaged.left(nul) + "<!--" + QByteArray(1 << 20, 'x') + "-->",
                             damaged.mid(nul + 1).chopped(4));
    for (const auto& [name, bytes, reason] :
         {std::tuple<const char*, QByteArray, QString>{"damaged.prn", damaged,
                                                       "the checksum is wrong (stored 0x"},
          {"bulky.prn", bulky,
           QStringLiteral("the header is %1 bytes, more than the 1048576 (1 MiB)")
               .arg(bulky.indexOf('\0'))}}) {
        const Result r = kalyxprn({"check", write(name, bytes)});
        EXPECT_EQ(r.status, 1) << name;
        EXPECT_TRUE(r.out.startsWith(path(name) + ": invalid for printing: " + reason))
            << r.out.toStdString();
        const QJsonObject json =
            QJsonDocument::fromJson(kalyxprn({"check", "--json", path(name)}).out.toUtf8())
                .object();
        EXPECT_TRUE(json["valid"].toBool());
        EXPECT_FALSE(json["printable"].toBool());
        EXPECT_TRUE(json["printProblem"].toString().startsWith(reason));
    }

    const Result one = kalyxprn({"check", "--json", badFile});
    const QJsonObject object = QJsonDocument::fromJson(one.out.toUtf8()).object();
    EXPECT_EQ(object["file"].toString(), badFile);
    EXPECT_FALSE(object["valid"].toBool());
    EXPECT_EQ(object["messages"].toArray().size(), 2);
    EXPECT_EQ(object["cardWidth"].toInt(), 1013);

    const QString format =
        write("format.prn", PrnJobBuilder::frame("<prn><card><card-options><image-format>x"
                                                 "</image-format></card-options></card></prn>",
                                                 {}));
    const Result many = kalyxprn({"check", "--json", sample, format, path("absent.prn")});
    const QJsonArray array = QJsonDocument::fromJson(many.out.toUtf8()).array();
    ASSERT_EQ(array.size(), 3);
    EXPECT_TRUE(array[0].toObject()["valid"].toBool());
    EXPECT_TRUE(array[1].toObject()["cardWidth"].isNull());
    EXPECT_EQ(array[1].toObject()["messages"].toArray()[0].toString(),
              QStringLiteral("Unsupported image format"));
    EXPECT_FALSE(array[2].toObject()["valid"].toBool());
}

TEST_F(Kalyxprn, InfoShowsLayoutAndChecksum) {
    const Result run = kalyxprn({"info", "--json", sample});
    ASSERT_EQ(run.status, 0);
    const QJsonObject info = QJsonDocument::fromJson(run.out.toUtf8()).object();
    const QJsonArray tracks = info["tracks"].toArray();
    ASSERT_EQ(tracks.size(), 3);
    EXPECT_EQ(tracks[0].toObject()["offset"].toInt(), 0); // tracks come first
    const QJsonArray front = info["sides"].toArray()[0].toObject()["panels"].toArray();
    ASSERT_EQ(front.size(), 5);
    const int trackBytes = tracks[0].toObject()["size"].toInt() +
                           tracks[1].toObject()["size"].toInt() +
                           tracks[2].toObject()["size"].toInt();
    EXPECT_EQ(front[0].toObject()["offset"].toInt(), trackBytes);
    EXPECT_EQ(front[0].toObject()["size"].toInt(), 650346);
    EXPECT_EQ(front[4].toObject()["panel"].toString(), QStringLiteral("o"));
    EXPECT_TRUE(info["checksum"].toObject()["matches"].toBool());
    EXPECT_EQ(info["binarySize"].toString(), QString::number(trackBytes + 8 * 650346));
    EXPECT_TRUE(kalyxprn({"info", sample}).out.contains("track 2: num-bits"));
}

TEST_F(Kalyxprn, RenderWritesTheSideWithHiddenPlanesLeftOut) {
    ASSERT_EQ(kalyxprn({"render", sample, "--side", "0", "-o", path("front.png")}).status, 0);
    ASSERT_EQ(
        kalyxprn({"render", sample, "--side", "0", "--hide", "ymc", "-o", path("k.bmp")}).status,
        0);
    const QImage front(path("front.png")), onlyK(path("k.bmp"));
    ASSERT_EQ(front.size(), QSize(1013, 642));
    // The sky of the front is blue with all planes, blank card without Y, M and C.
    EXPECT_NE(front.pixel(500, 150) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(onlyK.pixel(500, 150) & 0xFFFFFF, 0xFFFFFFu);

    EXPECT_EQ(kalyxprn({"render", sample, "--side", "2", "-o", path("x.png")}).status, 2);
    EXPECT_EQ(
        kalyxprn({"render", sample, "--side", "0", "--hide", "o", "-o", path("x.png")}).status, 2);
    EXPECT_EQ(kalyxprn({"render", sample, "--side", "0", "-o", path("x.unknown")}).status, 1);
}

TEST_F(Kalyxprn, MagDecodesTracksAsTheWindowDoes) {
    const Result iso = kalyxprn({"mag", "--json", sample});
    ASSERT_EQ(iso.status, 0);
    const QJsonObject object = QJsonDocument::fromJson(iso.out.toUtf8()).object();
    EXPECT_EQ(object["mode"].toString(), QStringLiteral("iso"));
    const QJsonArray tracks = object["tracks"].toArray();
    ASSERT_EQ(tracks.size(), 3);
    EXPECT_TRUE(tracks[0].toObject()["data"].toString().startsWith("%B4111111111111111^DOE/JANE^"));
    EXPECT_TRUE(tracks[1].toObject()["lrc"].toString().startsWith("0x"));

    const Result jis = kalyxprn({"mag", "--jis", "--json", sample});
    EXPECT_EQ(QJsonDocument::fromJson(jis.out.toUtf8()).object()["tracks"].toArray().size(), 1);
}

TEST_F(Kalyxprn, EveryJsonOutputIsJsonWhateverBytesItsTextsHold) {
    cli::keepFileNameBytes(); // so that the name below reaches kalyxprn as these bytes
    // A JIS track holding every code, in a file whose name holds every byte a name may.
    QByteArray codes;
    for (int c = 0; c < 128; ++c)
        codes += char(c);
    QByteArray raw;
    for (int b = 1; b < 256; ++b)
        raw += b == '/' ? QByteArray() : QByteArray(1, char(b));
    PrnJobBuilder builder;
    const EncodedTrack track = encodeTrack(codes, 8);
    builder.addTrack(1, track.bytes, track.numBits);
    builder.addPanel(builder.addSide(0), 'k', QByteArray(650346, '\0'));
    const QString name = dir.path() + '/' + QString::fromLocal8Bit(raw);
    ASSERT_TRUE(kalyxtest::writeFile(name, builder.build()));
    // Each byte from 0x80 on stands alone, so none is valid UTF-8: JSON shows U+FFFD.
    QString jsonName = dir.path() + '/';
    for (const char c : raw)
        jsonName += uchar(c) < 0x80 ? QChar(c) : QChar(QChar::ReplacementCharacter);

    for (const QStringList& args :
         {QStringList{"check", "--json", name}, QStringList{"info", "--json", name},
          QStringList{"mag", "--json", name}, QStringList{"mag", "--jis", "--json", name}}) {
        const Result r = kalyxprn(args);
        const std::string what = args.mid(0, args.size() - 1).join(' ').toStdString();
        EXPECT_EQ(r.status, 0) << what << r.err.toStdString();
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(r.out.toUtf8(), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << what << r.out.toStdString();
        // Nothing a terminal acts on, and no escape that JSON does not know.
        const QString line = r.out.chopped(1);
        EXPECT_TRUE(std::none_of(line.begin(), line.end(), [](QChar c) {
            return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F);
        })) << what;
        EXPECT_FALSE(line.contains("\\x")) << what;
        if (args[0] == "check") {
            EXPECT_EQ(document.object()["file"].toString(), jsonName);
        } else if (args.contains("--jis")) {
            EXPECT_EQ(document.object()["tracks"].toArray()[0].toObject()["data"].toString(),
                      QString::fromLatin1(codes.constData(), codes.size()));
        }
    }
}

TEST_F(Kalyxprn, GetSetAndSave) {
    EXPECT_EQ(kalyxprn({"get", sample, "/prn/card/card-options/width"}).out, "1013\n");
    const Result malformed = kalyxprn({"get", sample, "/prn/card["});
    EXPECT_EQ(malformed.status, 2);
    EXPECT_TRUE(malformed.err.contains("invalid XPath"));
    EXPECT_EQ(kalyxprn({"get", sample, "/prn/nothing"}).status, 1);

    const QString edited = path("edited.prn");
    ASSERT_EQ(kalyxprn({"set", sample, "num-copies", "/prn/card/card-options", "10", "-o", edited})
                  .status,
              0);
    EXPECT_EQ(kalyxprn({"get", edited, "/prn/card/card-options/num-copies"}).out, "10\n");
    EXPECT_EQ(QFileInfo(edited).size(), QFileInfo(sample).size() + 1);
    EXPECT_EQ(kalyxprn({"set", sample, "x", "/prn/none", "1", "-o", path("no.prn")}).status, 1);
    EXPECT_FALSE(QFile::exists(path("no.prn")));
    EXPECT_EQ(kalyxprn({"set", "-o", path("neg.prn"), "--", sample, "power-adjust",
                        "/prn/card/side-options[@side=0]/panel-options[@panel='k']", "-5"})
                  .status,
              0);

    const QString saved = path("saved.prn");
    ASSERT_EQ(kalyxprn({"save", sample, "-o", saved}).status, 0);
    QFile a(sample), b(saved);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_TRUE(a.readAll() == b.readAll());
    EXPECT_EQ(kalyxprn({"save", sample, "-o", path("missing/dir/x.prn")}).status, 1);
}

TEST_F(Kalyxprn, SetWritesOnlyWhatTheEditorCouldAndOnlyValidJobs) {
    const QString card = QStringLiteral("/prn/card/card-options");
    const QString out = path("out.prn");
    // Values the window's editor refuses: exit 2, nothing written.
    const QList<QStringList> refused = {{"num-copies", "abc"}, {"num-copies", "-5"},
                                        {"num-copies", "0"},   {"pre-rotate", "maybe"},
                                        {"num-copies", "1 "},  {"num-copies", "2147483648"}};
    for (const QStringList& edit : refused) {
        const Result r = kalyxprn({"set", "-o", out, "--", sample, edit[0], card, edit[1]});
        EXPECT_EQ(r.status, 2) << edit.join('=').toStdString();
        EXPECT_TRUE(r.err.contains(edit[0] + ": '" + edit[1] + "'")) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(out));
    }
    // Names that are paths of their own would write another node than the one checked.
    const QList<QStringList> elsewhere = {{"../num-copies", card + "/width", "-5"},
                                          {".", card + "/num-copies", "0"},
                                          {card + "/num-copies/..", "0"}};
    for (const QStringList& edit : elsewhere) {
        const Result r = kalyxprn(QStringList{"set", "-o", out, "--", sample} + edit);
        EXPECT_EQ(r.status, 2) << edit.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("is not a plain element name")) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(out));
    }
    // The full path names the option as get does; the value is checked for it.
    EXPECT_EQ(kalyxprn({"set", sample, card + "/num-copies", "0", "-o", out}).status, 2);
    ASSERT_EQ(kalyxprn({"set", sample, card + "/num-copies", "3", "-o", out}).status, 0);
    EXPECT_EQ(kalyxprn({"get", out, card + "/num-copies"}).out, "3\n");
    ASSERT_TRUE(QFile::remove(out));
    // A card size the document rejects: exit 1 with check's message, nothing written.
    for (const char* width : {"2027", "100"}) {
        const Result r = kalyxprn({"set", "-o", out, "--", sample, "width", card, width});
        EXPECT_EQ(r.status, 1) << width;
        EXPECT_TRUE(r.err.contains("invalid: Invalid image width")) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(out));
    }
    // --force writes both kinds, and check then says what is wrong.
    ASSERT_EQ(kalyxprn({"set", sample, "num-copies", card, "abc", "-o", out, "--force"}).status, 0);
    EXPECT_EQ(kalyxprn({"get", out, card + "/num-copies"}).out, "abc\n");
    ASSERT_EQ(kalyxprn({"set", sample, "width", card, "2027", "-o", out, "--force"}).status, 0);
    EXPECT_EQ(kalyxprn({"check", out}).status, 1);
    // An unknown name is written, with a warning naming the known ones.
    const Result unknown = kalyxprn({"set", sample, "bogus", card, "1", "-o", path("u.prn")});
    EXPECT_EQ(unknown.status, 0);
    EXPECT_TRUE(unknown.err.contains("warning: 'bogus' is not an option of card-options (known: "
                                     "num-copies, pre-rotate"))
        << unknown.err.toStdString();
    // The overlay's own options and the colour panels' differ.
    const QString overlayless = "/prn/card/side-options[@side=0]/panel-options[@panel='k']";
    EXPECT_EQ(kalyxprn({"set", sample, "power-adjust", overlayless, "40000", "-o", out}).status, 2);
}

TEST_F(Kalyxprn, UsageAndHelp) {
    EXPECT_EQ(kalyxprn({}).status, 2);
    EXPECT_EQ(kalyxprn({"frobnicate"}).status, 2);
    const Result help = kalyxprn({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("render"));
    for (const char* command : {"check", "info", "render", "mag", "get", "set", "save", "sample"}) {
        const Result run = kalyxprn({command, "--help"});
        EXPECT_EQ(run.status, 0) << command;
        EXPECT_TRUE(run.out.startsWith(QStringLiteral("usage: kalyxprn ") + command)) << command;
    }
    EXPECT_EQ(kalyxprn({"check"}).status, 2);
    EXPECT_EQ(kalyxprn({"info", "--bogus", sample}).status, 2);
}

} // namespace
