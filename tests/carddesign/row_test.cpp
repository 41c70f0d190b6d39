// What a design makes of one data row: templates, row selections, track texts and row checks.
#include <carddesign/CardDesignFile.h>
#include <carddesign/CardTemplate.h>
#include <carddesign/CardTracks.h>
#include <carddesign/RowChecks.h>
#include <carddesign/RowRanges.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Empty `expected`: no problem; otherwise the problem starts with it.
bool saysProblem(const QString& actual, const char* expected) {
    return *expected ? actual.startsWith(QLatin1String(expected)) : actual.isEmpty();
}

const CardColumns columns(QStringList{"ID", "Name", "Title", "Odd"});

CardRecord row(const QStringList& values, int number = 7) {
    CardRecord r;
    r.columns = &columns;
    r.values = values;
    r.row = number;
    return r;
}

struct Expansion {
    const char* text;
    const char* expanded;
    const char* missing; // comma-separated
};

TEST(Template, Expands) {
    const CardRecord record = row({"42", "Zoë Łukasz", "", "${Name}"});
    const CardTemplateContext context{&record, "2026-12-09"};
    const Expansion table[] = {
        {"Hello ${Name}!", "Hello Zoë Łukasz!", ""},
        {"${Title:=Staff}", "Staff", ""},
        {"${Name:=Nobody}", "Zoë Łukasz", ""},
        {"$$${ID}$$", "$42$", ""},
        {"${_row}/${_date}", "7/2026-12-09", ""},
        {"${Odd}", "${Name}", ""}, // values are never expanded again
        {"[${Nope}]", "[]", "Nope"},
        {"${Nope:=x}", "x", ""}, // a default covers a missing column
        {"${Nope}${Gone}${Nope}", "", "Nope,Gone"},
        {"${Name:=a:=b}", "Zoë Łukasz", ""},
        {"${Title:=a:=b}", "a:=b", ""},
    };
    for (const Expansion& e : table) {
        QStringList missing;
        EXPECT_EQ(expandCardTemplate(QString::fromUtf8(e.text), context, &missing),
                  QString::fromUtf8(e.expanded))
            << e.text;
        EXPECT_EQ(missing.join(','), QLatin1String(e.missing)) << e.text;
    }
}

TEST(Template, MalformedTemplatesSayWhere) {
    const std::pair<const char*, const char*> table[] = {
        {"abc ${Name", "'${' at character 5 is not closed by '}'"},
        {"costs $5", "a lone '$' at character 7: write $$ for a dollar sign"},
        {"x$", "a lone '$' at character 2"},
        {"${}", "'${' at character 1 names no column"},
        {"${:=x}", "'${' at character 1 names no column"},
        {"${a${b}}", "'${' at character 1 holds a '$'"},
        {"$${ok}", ""}, // a dollar, then literal text
    };
    for (const auto& [text, problem] : table)
        EXPECT_TRUE(saysProblem(checkCardTemplate(text), problem))
            << text << ": " << checkCardTemplate(text).toStdString();
    EXPECT_EQ(cardTemplateColumns("${A}${_row}${B:=x}${A}"), QStringList{"A"});
    EXPECT_FALSE(isCardTemplateVariable("$${ok}"));
    const CardRecord record = row({"42", ""});
    EXPECT_TRUE(cardConditionHolds("", {&record, ""}));
    EXPECT_TRUE(cardConditionHolds("${ID}", {&record, ""}));
    EXPECT_FALSE(cardConditionHolds("${Name}", {&record, ""}));
}

TEST(Template, DateFromSourceDateEpochAndFileFolders) {
    setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
    EXPECT_EQ(cardTemplateDate(), "2023-11-14");
    unsetenv("SOURCE_DATE_EPOCH");
    EXPECT_EQ(cardTemplateDate().size(), 10);

    EXPECT_EQ(resolveCardFile("art/a.png", false, "/d/design", "/d/data"), "/d/design/art/a.png");
    EXPECT_EQ(resolveCardFile("p/42.jpg", true, "/d/design", "/d/data"), "/d/data/p/42.jpg");
    EXPECT_EQ(resolveCardFile("/abs.png", true, "/d/design", "/d/data"), "/abs.png");
}

TEST(RowSelection, RangesAndMistakes) {
    RowRanges ranges;
    QString error;
    ASSERT_TRUE(ranges.parse("1-3, 15,20-", error));
    for (int r : {1, 3, 15, 20, 100000})
        EXPECT_TRUE(ranges.contains(r)) << r;
    for (int r : {4, 14, 16, 19})
        EXPECT_FALSE(ranges.contains(r)) << r;
    EXPECT_FALSE(ranges.endsBefore(1000));
    ASSERT_TRUE(ranges.parse("2,5-6", error));
    EXPECT_FALSE(ranges.endsBefore(6));
    EXPECT_TRUE(ranges.endsBefore(7));
    for (const char* bad : {"0", "3-1", "a", "", "1,,2", "-4", "1-2-3", "99999999999"})
        EXPECT_FALSE(ranges.parse(bad, error)) << bad;
    EXPECT_EQ(error, "'99999999999' is not a row or a range of rows (rows count from 1: e.g. "
                     "1-10,15,20-)");
}

TEST(Tracks, CharacterSetsAndCapacity) {
    const struct {
        int track;
        QString text;
        const char* problem;
    } table[] = {
        {1, "%B4242^DOE/JANE?", ""},
        {1, "%Bdoe?",
         "track 1 holds only the characters from ' ' to '_' (capital letters): 'd' "
         "at position 3"},
        {1, "%" + QString(78, 'A'), "track 1 holds at most 78 characters; the text has 79"},
        {1, "%" + QString(77, 'A'), ""},
        {2, ";1234=5678?", ""},
        {2, ";12A?", "track 2 holds only the characters from '0' to '?': 'A' at position 4"},
        {2, QString(40, '1'), "track 2 holds at most 39 characters"},
        {3, QString(106, '1'), ""},
        {3, QString(107, '1'), "track 3 holds at most 106 characters"},
        {2, QString::fromUtf8("é"), "track 2 holds only"},
    };
    for (const auto& t : table)
        EXPECT_TRUE(saysProblem(checkCardTrack(t.track, t.text), t.problem))
            << t.text.toStdString() << ": " << checkCardTrack(t.track, t.text).toStdString();
    QString problem;
    EXPECT_EQ(encodeCardTrack(2, ";1?", problem).size(), 4u * 5u);
    EXPECT_TRUE(encodeCardTrack(2, "", problem).empty());
    EXPECT_FALSE(problem.isEmpty());
}

TEST(RowChecks, ColumnsTracksAndOptionsOfEachRow) {
    const CardDesignResult read = parseCardDesign(R"({"format": "kalyx-card-design/1",
      "options": {"card-options/num-copies": "${Copies:=1}"},
      "front": {"objects": [
        {"type": "text", "x": 1, "y": 1, "w": 30, "h": 5, "text": "${Name} ${Surname}"},
        {"type": "barcode", "x": 1, "y": 9, "w": 30, "h": 9, "symbology": "qr", "data": "${Surname}"}]},
      "mag": {"tracks": {"2": ";${ID}?", "3": "${Title}"}}})",
                                                  "/");
    ASSERT_TRUE(read.design) << read.error.toStdString();
    const auto problems = [&](const QStringList& values, const CardColumns& header) {
        CardRecord r = row(values);
        r.columns = &header;
        QStringList out;
        for (const CardRowProblem& p : checkCardRow(*read.design, {&r, "2026-01-01"}))
            out << p.field + ": " + p.problem;
        return out;
    };
    EXPECT_EQ(problems({"42", "Ann", "", ""}, columns),
              QStringList{"front.objects[0].text: no column 'Surname' in the data"});
    const CardColumns withCopies(QStringList{"ID", "Name", "Surname", "Title", "Copies"});
    EXPECT_EQ(problems({"4A", "Ann", "Lee", "", "0"}, withCopies),
              (QStringList{"options.card-options/num-copies: '0' is not a whole number from 1 to "
                           "2147483647",
                           "mag.tracks.2: track 2 holds only the characters from '0' to '?': 'A' "
                           "at position 3 is not one of them"}));
    EXPECT_TRUE(problems({"42", "Ann", "Lee", "", ""}, withCopies).isEmpty());
    // A column missing from several places is said once, where it is first used.
    const CardColumns noSurname(QStringList{"ID", "Name", "Title"});
    EXPECT_EQ(problems({"42", "Ann", "X"}, noSurname),
              (QStringList{"front.objects[0].text: no column 'Surname' in the data",
                           "mag.tracks.3: track 3 holds only the characters from '0' to '?': 'X' "
                           "at position 1 is not one of them"}));
    EXPECT_EQ(cardRowKey(row({"42", "Ann"}), cardKeyColumn(columns, "Name")), "Ann");
    EXPECT_EQ(cardKeyColumn(columns, ""), 0);
    EXPECT_EQ(cardKeyColumn(columns, "Surname"), -1);
    EXPECT_EQ(cardRowKey(row({"42"}), 3), "");
}

} // namespace
