// kalyxprn batch on the example badge and on data with problems.
#include "FileBytes.h"
#include "KalyxprnRun.h"

#include <carddesign/CsvReader.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using kalyxtest::kalyxprn;
using kalyxtest::Result;

const QString example = QStringLiteral(EXAMPLE_DIR);
const QString design = example + QStringLiteral("/badge.card.json");
const QString people = example + QStringLiteral("/people.csv");

QString tool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

struct Person {
    QString id, magName;
};

std::vector<Person> readPeople() {
    std::vector<Person> all;
    CsvReader reader;
    EXPECT_TRUE(reader.open(people));
    CsvRow row;
    const int id = reader.columns().indexOf(QStringLiteral("ID"));
    const int mag = reader.columns().indexOf(QStringLiteral("MagName"));
    while (reader.next(row) == CsvReader::Row)
        all.push_back({row.record.values.value(id), row.record.values.value(mag)});
    return all;
}

class Batch : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    // A data file beside copies of the example's photos.
    QString data(const QByteArray& csv) const {
        QDir().mkpath(path(QStringLiteral("photos")));
        for (const QString& photo :
             QDir(example + QStringLiteral("/photos")).entryList(QDir::Files))
            QFile::copy(example + QStringLiteral("/photos/") + photo,
                        path(QStringLiteral("photos/") + photo));
        EXPECT_TRUE(kalyxtest::writeFile(path(QStringLiteral("data.csv")), csv));
        return path(QStringLiteral("data.csv"));
    }
    QTemporaryDir dir;
};

TEST_F(Batch, TheExampleMakesAScannableJobWithItsTracksForEveryPerson) {
    const QString out = path(QStringLiteral("badges")), proof = path(QStringLiteral("proof.pdf"));
    const Result run = kalyxprn({"batch", design, people, "-o", out, "--proof", proof});
    ASSERT_EQ(run.status, 0) << run.out.toStdString() << run.err.toStdString();
    EXPECT_EQ(run.err, QString()) << "no progress line when stderr is not a terminal";
    const std::vector<Person> all = readPeople();
    ASSERT_EQ(all.size(), 12u);
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 12);
    const QString pdf = tool(QStringLiteral("pdftotext"), {proof, QStringLiteral("-")});
    for (std::size_t i = 0; i < all.size(); ++i) {
        const Person& p = all[i];
        SCOPED_TRACE(p.id.toStdString());
        const QString job = QDir(out).filePath(QString::number(i + 1) + QStringLiteral(".prn"));
        const Result mag = kalyxprn({"mag", job});
        EXPECT_TRUE(
            mag.out.contains(QStringLiteral("Track 1 data: %B%1^%2?\n").arg(p.id, p.magName)))
            << mag.out.toStdString();
        EXPECT_TRUE(mag.out.contains(QStringLiteral("Track 2 data: ;%1=0000?\n").arg(p.id)));
        // The barcodes as the K panel alone prints them.
        for (const int side : {0, 1}) {
            const QString k = path(QStringLiteral("k%1.png").arg(side));
            ASSERT_EQ(
                kalyxprn({"render", job, "--side", QString::number(side), "--hide", "ymc", "-o", k})
                    .status,
                0);
            EXPECT_EQ(tool(QStringLiteral("zbarimg"), {QStringLiteral("-q"), k}),
                      side == 0 ? QStringLiteral("CODE-128:%1\n").arg(p.id)
                                : QStringLiteral("QR-Code:KALYX-STAFF:%1\n").arg(p.id));
        }
        EXPECT_TRUE(pdf.contains(QStringLiteral("row %1 (%2)").arg(i + 1).arg(p.id)));
    }
    EXPECT_FALSE(pdf.contains(QStringLiteral("NOT PRINTED")));
    EXPECT_TRUE(tool(QStringLiteral("pdfinfo"), {proof})
                    .contains(QRegularExpression(QStringLiteral("Pages: +3\n"))));
}

const QByteArray header = "ID,Name,Title,Photo,MagName\n";

TEST_F(Batch, CheckListsEveryProblemOfEveryRow) {
    const QString csv = data(header + "1001,Ann Lee,Nurse,photos/1001.png,LEE/ANN\n"
                                      "10A2,Bo Chen,Porter,photos/1002.png,CHEN/BO\n"
                                      "1003,Cy Dodd,Cook,photos/none.png,dodd/cy\n"
                                      "1004,Di,Vet\n"
                                      "1005,Ed Fox,Chef,photos/1005.png,FOX/ED\n");
    const Result text = kalyxprn({"batch", design, csv, "--check"});
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.out.split(QLatin1Char('\n')).filter(QStringLiteral("row 2 (10A2): ")),
              QStringList{QStringLiteral("row 2 (10A2): mag.tracks.2: track 2 holds only the "
                                         "characters from '0' to '?': 'A' at position 4 is not "
                                         "one of them")});
    EXPECT_TRUE(text.out.contains(QStringLiteral("row 3 (1003): front.objects[8].src: ") +
                                  dir.path() + QStringLiteral("/photos/none.png: no such file\n")));
    EXPECT_TRUE(text.out.contains(QStringLiteral("row 3 (1003): mag.tracks.1: ")));
    EXPECT_TRUE(text.out.contains(QStringLiteral("row 4 (1004): data: ")));
    EXPECT_FALSE(text.out.contains(QStringLiteral("row 1 ")));
    EXPECT_FALSE(text.out.contains(QStringLiteral("row 5 ")));
    EXPECT_TRUE(
        text.out.endsWith(QStringLiteral("5 rows checked: 2 printable, 3 with problems\n")));

    const Result json = kalyxprn({"batch", design, csv, "--check", "--json"});
    EXPECT_EQ(json.status, 1);
    const QJsonObject o = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(o[QStringLiteral("rows")].toInt(), 5);
    EXPECT_EQ(o[QStringLiteral("invalid")].toInt(), 3);
    const QJsonArray problems = o[QStringLiteral("problems")].toArray();
    EXPECT_EQ(problems.size(), text.out.count(QLatin1Char('\n')) - 1);
    EXPECT_EQ(problems.first().toObject()[QStringLiteral("key")].toString(),
              QStringLiteral("10A2"));
    EXPECT_EQ(problems.first().toObject()[QStringLiteral("line")].toInt(), 3);

    // Only the rows asked for, named by another column.
    const Result some =
        kalyxprn({"batch", design, csv, "--check", "--rows", "2,5-", "--key", "Name"});
    EXPECT_EQ(some.status, 1);
    EXPECT_TRUE(some.out.startsWith(QStringLiteral("row 2 (Bo Chen): mag.tracks.2")));
    EXPECT_TRUE(
        some.out.endsWith(QStringLiteral("2 rows checked: 1 printable, 1 with problems\n")));
}

TEST_F(Batch, JobFilesAreNeverReplacedUnlessForcedAndStrictWritesNothing) {
    const QString csv = data(header + "1001,Ann Lee,Nurse,photos/1001.png,LEE/ANN\n"
                                      "1002,Bo Chen,Porter,photos/1002.png,CHEN/BO\n");
    const QString out = path(QStringLiteral("out"));
    const QStringList named{"batch", design, csv, "-o", out, "--name", "badge-${ID}"};
    ASSERT_EQ(kalyxprn(named).status, 0);
    const QString first = out + QStringLiteral("/badge-1001.prn");
    const QByteArray job = kalyxtest::readFile(first);
    ASSERT_FALSE(job.isEmpty());
    ASSERT_TRUE(kalyxtest::writeFile(first, "kept"));
    const Result again = kalyxprn(named);
    EXPECT_EQ(again.status, 1);
    EXPECT_TRUE(again.out.contains(QStringLiteral("row 1 (1001): ") + first +
                                   QStringLiteral(" exists; not replaced (--force replaces it)")));
    EXPECT_EQ(kalyxtest::readFile(first), QByteArray("kept"));
    EXPECT_EQ(kalyxprn(named + QStringList{"--force"}).status, 0);
    EXPECT_EQ(kalyxtest::readFile(first).size(), job.size());

    // A name that would leave the folder is that row's problem; --strict then writes nothing.
    const QString strictOut = path(QStringLiteral("strict"));
    const Result strict = kalyxprn({"batch", design, csv, "-o", strictOut, "--name", "${Title}",
                                    "--rows", "1", "--strict", "--key", "Name"});
    EXPECT_EQ(strict.status, 0) << strict.out.toStdString();
    const QString bad = data(header + "1001,Ann Lee,../up,photos/1001.png,LEE/ANN\n"
                                      "1002,Bo Chen,Porter,photos/1002.png,chen\n");
    const Result refused =
        kalyxprn({"batch", design, bad, "-o", path(QStringLiteral("none")), "--strict"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("none"))));
    const Result skipped =
        kalyxprn({"batch", design, bad, "-o", path(QStringLiteral("some")), "--name", "${Title}"});
    EXPECT_EQ(skipped.status, 1);
    EXPECT_TRUE(skipped.out.contains(QStringLiteral("row 1 (1001): --name: '../up' cannot be a "
                                                    "file name")));
    EXPECT_TRUE(QDir(path(QStringLiteral("some"))).entryList(QDir::Files).isEmpty());
}

TEST_F(Batch, PreviewsAreTheJobsAsRenderShowsThem) {
    const QString csv = data(header + "1001,Ann Lee,Nurse,photos/1001.png,LEE/ANN\n");
    const QString out = path(QStringLiteral("out")), previews = path(QStringLiteral("previews"));
    ASSERT_EQ(kalyxprn({"batch", design, csv, "-o", out, "--preview", previews}).status, 0);
    for (const int side : {0, 1}) {
        const QString rendered = path(QStringLiteral("side%1.png").arg(side));
        ASSERT_EQ(kalyxprn({"render", out + QStringLiteral("/1.prn"), "--side",
                            QString::number(side), "-o", rendered})
                      .status,
                  0);
        const QString preview =
            previews + (side == 0 ? QStringLiteral("/1-front.png") : QStringLiteral("/1-back.png"));
        EXPECT_EQ(QImage(preview), QImage(rendered));
    }
}

TEST_F(Batch, UnusableDesignsAndUsageMistakesExit2) {
    const QString csv = data(header + "1001,Ann Lee,Nurse,photos/1001.png,LEE/ANN\n");
    QByteArray broken = kalyxtest::readFile(design);
    broken.replace("\"module\": 4", "\"module\": \"four\"");
    const QString brokenDesign = path(QStringLiteral("broken.card.json"));
    ASSERT_TRUE(kalyxtest::writeFile(brokenDesign, broken));
    const Result bad = kalyxprn({"batch", brokenDesign, csv, "--check"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(bad.err.contains(QStringLiteral("back.objects[5].module: ")))
        << bad.err.toStdString();

    const QStringList usage[] = {
        {"batch", design, csv},
        {"batch", design, csv, "--check", "-o", "x"},
        {"batch", design, csv, "--preview", "x", "--json"},
        {"batch", design, csv, "--proof", "x.pdf", "--force"},
        {"batch", design, csv, "--check", "--rows", "0-"},
        {"batch", design, csv, "--check", "--delimiter", "|"},
        {"batch", design, csv, "--check", "--key", "Nobody"},
        {"batch", design, "--check"},
    };
    for (const QStringList& args : usage) {
        const Result r = kalyxprn(args);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

} // namespace
