#include "TestJobs.h"

#include <prnformat/Crc32.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const std::string kSide = "<side-options side=\"0\"><panel-options panel=\"k\"/></side-options>";
const std::string card = "<card-options><num-copies>1</num-copies><width>506</width>"
                         "<height>1</height></card-options>";

QByteArray binaryOf(const QByteArray& job, int binaryOffset) {
    return job.mid(binaryOffset, job.size() - 4 - binaryOffset);
}

bool checksumVerifies(const QByteArray& job) {
    return Orvane::crc32(job.constData(), std::size_t(job.size() - 4)) ==
           Orvane::loadCrcLe(reinterpret_cast<const unsigned char*>(job.constData()) + job.size() -
                             4);
}

// Read from a file the holder parses its own bytes in place; bytes shared with the caller are
// parsed from a copy and stay as they were.
TEST(Serialise, RawJobRoundTripsByteForByte) {
    const QByteArray escaped =
        job("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><prn><card>" + card + kSide +
                "</card><note a=\"&quot;x&lt;\">M\xFCller &amp; <![CDATA[<raw>]]></note></prn>",
            QByteArray(506, 7));
    QTemporaryDir dir;
    for (const QByteArray& original : {makeSampleJob(), escaped}) {
        const QByteArray untouched(original.constData(), original.size());
        const QString path = dir.filePath(QStringLiteral("job.prn"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(original) == original.size());
        file.close();
        const KlxPrnHolder fromFile(path);
        const Loaded fromBytes = loadBytes(original);
        for (const KlxPrnHolder* holder :
             {static_cast<const KlxPrnHolder*>(fromBytes.holder.get()), &fromFile}) {
            ASSERT_TRUE(holder->isValid());
            EXPECT_TRUE(holder->toByteArray() == original);
        }
        EXPECT_TRUE(original == untouched);
        if (original == escaped) {
            EXPECT_EQ(fromFile.nodeText("/prn/note"), QStringLiteral("M\u00FCller & "));
            EXPECT_EQ(fromFile.nodeText("/prn/note/@a"), QStringLiteral("\"x<"));
        }
    }
}

TEST(Serialise, FormattingGoesDeclarationIsKeptOrAdded) {
    const QByteArray binary(506, char(0x5A));
    const std::string indented = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- note -->\n"
                                 "<prn>\n  <card>\n    " +
                                 card + "\n    " + kSide +
                                 "\n  </card>\n  <binary-size><![CDATA[506]]></binary-size>\n"
                                 "</prn>\n";
    const Loaded loaded = loadBytes(job(indented, binary));
    ASSERT_TRUE(loaded->isValid());
    const QByteArray saved = loaded->toByteArray();
    const int nul = saved.indexOf('\0');
    EXPECT_EQ(saved.left(nul).toStdString(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?><prn><card>" + card + kSide +
                  "</card><binary-size><![CDATA[506]]></binary-size></prn>");
    EXPECT_TRUE(binaryOf(saved, nul + 1) == binary);
    EXPECT_TRUE(checksumVerifies(saved));
    EXPECT_TRUE(loadBytes(saved)->isValid());

    const Loaded bare = loadBytes(job("<prn><card>" + card + kSide + "</card></prn>", binary));
    ASSERT_TRUE(bare->isValid());
    EXPECT_TRUE(bare->toByteArray().startsWith("<?xml version=\"1.0\"?><prn>"));
}

TEST(Serialise, LatinOneHeaderStaysLatinOne) {
    const std::string header = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><prn><card>" + card +
                               kSide + "</card><note>M\xFCller</note></prn>";
    const Loaded loaded = loadBytes(job(header, QByteArray(506, 3)));
    ASSERT_TRUE(loaded->isValid());
    EXPECT_EQ(loaded->nodeText("/prn/note"), QStringLiteral("M\u00FCller"));
    const QByteArray saved = loaded->toByteArray();
    EXPECT_TRUE(saved.startsWith(QByteArray::fromStdString(header)));
    EXPECT_EQ(loadBytes(saved)->nodeText("/prn/note"), QStringLiteral("M\u00FCller"));
}

TEST(Serialise, EditLengthensByTheNewTextAndChecksumIsRepaired) {
    QByteArray original = job("<prn><card>" + card + kSide + "</card></prn>", QByteArray(506, 1));
    original[original.size() - 2] = char(original[original.size() - 2] ^ 0x40); // bad checksum
    const Loaded loaded = loadBytes(original);
    ASSERT_TRUE(loaded->isValid());
    ASSERT_EQ(loaded.messages.size(), 1);
    ASSERT_TRUE(loaded.holder->setNodeText("num-copies", "/prn/card/card-options", "10"));
    const QByteArray saved = loaded->toByteArray();
    // The loaded header gains a 21-byte declaration and one digit.
    EXPECT_EQ(saved.size(), original.size() + 21 + 1);
    EXPECT_TRUE(checksumVerifies(saved));
    const Loaded reloaded = loadBytes(saved);
    EXPECT_TRUE(reloaded->isValid());
    EXPECT_TRUE(reloaded.messages.isEmpty());
    EXPECT_EQ(reloaded->nodeText("/prn/card/card-options/num-copies"), QStringLiteral("10"));
}

TEST(Save, WritesAtomicallyAndReportsFailure) {
    QTemporaryDir dir;
    const Loaded loaded =
        loadBytes(job("<prn><card>" + card + kSide + "</card></prn>", QByteArray(506, 2)));
    ASSERT_TRUE(loaded->isValid());
    const QString path = dir.filePath(QStringLiteral("out.prn"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old contents");
    }
    ASSERT_TRUE(loaded->save(path));
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll() == loaded->toByteArray());

    const QString missing = dir.filePath(QStringLiteral("no/such/dir/out.prn"));
    EXPECT_FALSE(loaded->save(missing));
    EXPECT_FALSE(QFile::exists(missing));
    // A directory in the way: nothing is replaced.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("taken")));
    EXPECT_FALSE(loaded->save(dir.filePath(QStringLiteral("taken"))));
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("taken"))).isDir());
}

TEST(Edit, SetNodeTextWritesAppendsOrRefuses) {
    PrnJobBuilder builder;
    PrnJobBuilder::setText(builder.cardOptions(), "width", "506");
    PrnJobBuilder::setText(builder.cardOptions(), "height", "1");
    pugi::xml_node k = builder.addPanel(builder.addSide(0), 'k', QByteArray(506, 0));
    PrnJobBuilder::addRect(k, "area", 1, 1, 1, 1);
    PrnJobBuilder::addRect(k, "area", 2, 2, 2, 2);
    const Loaded loaded = loadBytes(builder.build());
    ASSERT_TRUE(loaded->isValid());
    KlxPrnHolder& h = *loaded.holder;

    EXPECT_TRUE(h.setNodeText("width", "/prn/card/card-options", "506"));
    EXPECT_TRUE(h.setNodeText("pre-rotate", "/prn/card/card-options", "true"));
    EXPECT_EQ(h.nodeText("/prn/card/card-options/*[last()]"), QStringLiteral("true"));

    const std::string areas = "/prn/card/side-options[@side=0]/panel-options[@panel='k']/area";
    EXPECT_TRUE(h.setNodeText("y", "(" + areas + ")[2]", "7"));
    EXPECT_EQ(h.nodeText("(" + areas + ")[1]/y"), QStringLiteral("1"));
    EXPECT_EQ(h.nodeText("(" + areas + ")[2]/y"), QStringLiteral("7"));

    const QByteArray before = h.toByteArray();
    EXPECT_FALSE(h.setNodeText("x", "/prn/card/nothing", "1"));
    EXPECT_FALSE(h.setNodeText("@side", "/prn/card/side-options", "1"));
    EXPECT_FALSE(h.setNodeText("x", "/prn/card[", "1"));
    EXPECT_FALSE(h.setNodeText("zz", "/", "1")); // a second root would break the document
    EXPECT_FALSE(h.setNodeText("text()", "/prn/card/card-options/width", "1"));
    EXPECT_FALSE(h.setNodeText("a b", "/prn/card", "1"));
    EXPECT_TRUE(h.toByteArray() == before);
}

} // namespace
