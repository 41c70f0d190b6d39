// Reading data files: delimiters, quoting, encodings, headers and rows of the wrong width.
#include <carddesign/CsvReader.h>

#include "TempDir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <thread>

namespace {

struct CsvCase {
    const char* name;
    QByteArray bytes;
    CsvOptions options;
    const char* columns;  // joined with '|'
    const char* rows;     // each row "line:values joined with '|'", rows joined with '/'
    const char* problems; // each row's problem, joined with '/'
    char delimiter;
    bool windows1252;
};

// Reads the whole file the way a batch does, in one line per row for comparing.
void readAll(const QString& path, const CsvOptions& options, CsvReader& reader, QStringList& rows,
             QStringList& problems) {
    ASSERT_TRUE(reader.open(path, options)) << reader.error().toStdString();
    CsvRow row;
    int expectedRow = 1;
    CsvReader::Next next;
    while ((next = reader.next(row)) == CsvReader::Row) {
        EXPECT_EQ(row.record.row, expectedRow++);
        EXPECT_EQ(row.record.columns, &reader.columns());
        rows << QString::number(row.record.line) + ":" + row.record.values.join('|');
        problems << row.problem;
    }
    EXPECT_EQ(next, CsvReader::End) << reader.error().toStdString();
}

class DataFile : public testing::TestWithParam<CsvCase> {};

TEST_P(DataFile, Reads) {
    const CsvCase& c = GetParam();
    kalyxtest::TempDir dir;
    const QString path = QString::fromStdString(dir.file("data.csv"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(c.bytes);
    file.close();
    CsvReader reader;
    QStringList rows, problems;
    readAll(path, c.options, reader, rows, problems);
    EXPECT_EQ(reader.columns().names().join('|'), QString::fromUtf8(c.columns));
    EXPECT_EQ(rows.join('/'), QString::fromUtf8(c.rows));
    EXPECT_EQ(problems.join('/'), QString::fromUtf8(c.problems));
    EXPECT_EQ(reader.delimiter(), QLatin1Char(c.delimiter));
    EXPECT_EQ(reader.windows1252(), c.windows1252);
    EXPECT_EQ(reader.folder(), QString::fromStdString(dir.path()));
}

const CsvOptions detect;
const CsvOptions noHeader{QChar(), false};
const CsvOptions semicolon{QLatin1Char(';'), true};

INSTANTIATE_TEST_SUITE_P(
    Cases, DataFile,
    testing::Values(
        CsvCase{"CommaCrlf", "ID, Name \r\n1,Ann\r\n2,Bo\r\n", detect, "ID|Name", "2:1|Ann/3:2|Bo",
                "/", ',', false},
        CsvCase{"SemicolonDetected", "ID;Name\n1;Lee, Ann\n2;Zoë\n", detect, "ID|Name",
                "2:1|Lee, Ann/3:2|Zoë", "/", ';', false},
        CsvCase{"TabDetected", "ID\tName\tTitle\n1\tA,B\tC;D\n", detect, "ID|Name|Title",
                "2:1|A,B|C;D", "", '\t', false},
        CsvCase{"QuotesAndLineBreaks", "ID,Note\n1,\"a \"\"b\"\"\r\nc, d\"\n2,\"\"\n", detect,
                "ID|Note", "2:1|a \"b\"\nc, d/4:2|", "/", ',', false},
        CsvCase{"ByteOrderMark", "\xEF\xBB\xBFID,Name\n7,Łukasz\n", detect, "ID|Name", "2:7|Łukasz",
                "", ',', false},
        CsvCase{"Windows1252", "ID;Name\n1;Jos\xE9 \x80\x9F\n", detect, "ID|Name", "2:1|José €Ÿ",
                "", ';', true},
        CsvCase{"NoHeader", "1,A\n2,B\n", noHeader, "1|2", "1:1|A/2:2|B", "/", ',', false},
        CsvCase{"WrongWidths", "A,B,C\n1,2\n1,2,3,4\n1,2,3,,\n", detect, "A|B|C",
                "2:1|2/3:1|2|3|4/4:1|2|3",
                "line 2 has 2 values; the header has 3 columns/line 3 has 4 values; the header "
                "has 3 columns/",
                ',', false},
        CsvCase{"BlankLinesAndNoFinalBreak", "A,B\n\n1,2\n\r\n\n3,4", detect, "A|B", "3:1|2/6:3|4",
                "/", ',', false},
        CsvCase{"OldMacLineEnds", "A,B\r1,2\r", detect, "A|B", "2:1|2", "", ',', false},
        CsvCase{"DelimiterGiven", "A,B\n1,2\n", semicolon, "A,B", "2:1,2", "", ';', false},
        CsvCase{"EmptyHeaderNames", "ID,,\n1,2,3\n", detect, "ID|2|3", "2:1|2|3", "", ',', false},
        CsvCase{"OneColumn", "Name\nAnn\nLee; Bo\n", detect, "Name", "2:Ann/3:Lee; Bo", "/", ',',
                false},
        CsvCase{"ConsistentBeatsWider", "a,b;c\n1;2,3,4\n", detect, "a,b|c", "2:1|2,3,4", "", ';',
                false},
        CsvCase{"QuotedDelimiterInHeader", "\"a;b\",c\n1,2\n", detect, "a;b|c", "2:1|2", "", ',',
                false},
        CsvCase{"HeaderOnly", "ID,Name\n", detect, "ID|Name", "", "", ',', false}),
    [](const testing::TestParamInfo<CsvCase>& info) { return info.param.name; });

TEST(DataFileFaults, SayWhatIsWrong) {
    const struct {
        QByteArray bytes;
        const char* error;
    } table[] = {
        {"", "the file has no header row"},
        {"\n\r\n", "the file has no header row"},
        {"\xFF\xFEI\0D\0", "the file is UTF-16 text"},
        {"A,B\n1,\"open\n2,3\n", "the quoted value that starts on line 2 is never closed"},
        {"A\n" + QByteArray(CsvReader::maxRowBytes + 1, 'x') + "\n",
         "line 2 starts a row longer than 1048576 bytes"},
        {"A\n" + QByteArray(1000, 'x') +
             QByteArray(1000, ',').replace(",", QByteArray(1050, 'x') + ",") + "\n",
         "line 2 starts a row longer than 1048576 bytes"},
        {"A\n" + QByteArray(CsvReader::maxFields, ',') + "\n", "line 2 has more than 1024 values"},
    };
    kalyxtest::TempDir dir;
    const QString path = QString::fromStdString(dir.file("bad.csv"));
    for (const auto& t : table) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(t.bytes);
        file.close();
        CsvReader reader;
        CsvRow row;
        const bool failed = !reader.open(path) || [&] {
            CsvReader::Next n;
            while ((n = reader.next(row)) == CsvReader::Row) {
            }
            return n == CsvReader::Failed;
        }();
        EXPECT_TRUE(failed) << t.error;
        EXPECT_TRUE(reader.error().startsWith(QLatin1String(t.error)))
            << reader.error().toStdString();
    }
    CsvReader reader;
    EXPECT_FALSE(reader.open(QString::fromStdString(dir.file("absent.csv"))));
    EXPECT_TRUE(reader.error().startsWith("cannot read it: "));
}

// A pipe is copied aside first, so the encoding and delimiter can be found before the rows are
// read; Windows-1252 found only near the end still decodes the first rows right.
TEST(DataFilePipe, ReadsEveryRowOnce) {
    kalyxtest::TempDir dir;
    const std::string fifo = dir.file("data.pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int rowCount = 20000;
    std::thread writer([&] {
        std::ofstream out(fifo, std::ios::binary);
        out << "ID;Name\n";
        for (int i = 1; i <= rowCount; ++i)
            out << i << ";N\xE9" << (i == rowCount ? "\x80" : "") << "\n";
    });
    CsvReader reader;
    QStringList rows, problems;
    readAll(QString::fromStdString(fifo), {}, reader, rows, problems);
    writer.join();
    ASSERT_EQ(rows.size(), rowCount);
    EXPECT_EQ(rows.first(), "2:1|Né");
    EXPECT_EQ(rows.last(), QStringLiteral("%1:%2|Né€").arg(rowCount + 1).arg(rowCount));
    EXPECT_TRUE(reader.windows1252());
    EXPECT_EQ(reader.delimiter(), ';');
}

} // namespace

namespace {

// A character cut in two by the reader's 64 KiB pieces is still UTF-8.
TEST(DataFileEncoding, CharacterAcrossPieces) {
    kalyxtest::TempDir dir;
    const QString path = QString::fromStdString(dir.file("long.csv"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray head = "Name\n" + QByteArray(65535 - 5, 'a');
    file.write(head + "\xC5\x81\n");
    file.close();
    CsvReader reader;
    QStringList rows, problems;
    readAll(path, {}, reader, rows, problems);
    EXPECT_FALSE(reader.windows1252());
    ASSERT_EQ(rows.size(), 1);
    EXPECT_TRUE(rows.first().endsWith(QString::fromUtf8("aŁ")));
}

// "-" is standard input, and per-row files then resolve against the current folder.
TEST(DataFilePipe, DashReadsStandardInput) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const int savedIn = dup(0);
    ASSERT_EQ(dup2(fds[0], 0), 0);
    close(fds[0]);
    const char data[] = "ID\tPhoto\n7\tp/7.png\n";
    ASSERT_EQ(write(fds[1], data, sizeof data - 1), ssize_t(sizeof data - 1));
    close(fds[1]);
    CsvReader reader;
    QStringList rows, problems;
    readAll(QStringLiteral("-"), {}, reader, rows, problems);
    dup2(savedIn, 0);
    close(savedIn);
    EXPECT_EQ(rows, QStringList{"2:7|p/7.png"});
    EXPECT_EQ(reader.folder(), QDir::currentPath());
}

// The example's people: every row whole, every script decoded.
TEST(ExampleData, BadgePeopleReadWhole) {
    CsvReader reader;
    QStringList rows, problems;
    readAll(QStringLiteral(KALYX_EXAMPLES "/badge/people.csv"), {}, reader, rows, problems);
    EXPECT_EQ(reader.columns().names().join('|'), "ID|Name|Title|Photo|MagName");
    EXPECT_EQ(rows.size(), 12);
    EXPECT_TRUE(problems.join(QString()).isEmpty()) << problems.join('/').toStdString();
    EXPECT_FALSE(reader.windows1252());
    EXPECT_TRUE(rows.join('/').contains(QString::fromUtf8("Νικόλαος")));
    EXPECT_TRUE(rows.join('/').contains(QString::fromUtf8("1011|Maria-Luísa \"Malu\" Conceição|"
                                                          "Quality, Safety & Environment|")));
}

} // namespace
