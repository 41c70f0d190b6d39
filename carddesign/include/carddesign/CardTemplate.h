// Templates fill a design's texts from a data row: `${Column}` is the value of a column named by
// its header, `${Column:=default}` gives `default` when the value is empty, `$$` is a dollar sign,
// `${_row}` is the 1-based data row and `${_date}` today's date (YYYY-MM-DD). Values are inserted
// as they are, never expanded again.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// The header of a data file: column names and where each is.
class CardColumns {
public:
    CardColumns() = default;
    explicit CardColumns(const QStringList& names);
    const QStringList& names() const { return names_; }
    // The index of the first column called `name`, or -1.
    int indexOf(const QString& name) const;

private:
    QStringList names_;
    QHash<QString, int> index_;
};

// One data row as templates see it.
struct CardRecord {
    const CardColumns* columns = nullptr;
    QStringList values; // may be shorter than the header: missing values are empty
    int row = 0;        // 1-based data row (the header not counted)
    qint64 line = 0;    // line of the data file where the row starts
};

struct CardTemplateContext {
    const CardRecord* record = nullptr;
    QString date; // for ${_date}
};

// Empty when `text` is a well-formed template; otherwise why not ("'${' at 5 is not closed").
QString checkCardTemplate(const QString& text);

// True when `text` takes anything from a row (a column, ${_row} or ${_date}).
bool isCardTemplateVariable(const QString& text);

// The columns `text` names (built-ins left out) whose defaults do not cover a missing column.
QStringList cardTemplateColumns(const QString& text, bool withoutDefault = true);

// `text` expanded for the context. Columns the row's header lacks expand to their default (or
// nothing) and are added to `missing` when it is given. A malformed template expands to itself.
QString expandCardTemplate(const QString& text, const CardTemplateContext& context,
                           QStringList* missing = nullptr);

// True when an object with the condition `condition` ("if") is drawn for the context: the
// condition is empty or expands to a non-empty text.
bool cardConditionHolds(const QString& condition, const CardTemplateContext& context);

// The date ${_date} stands for: the UTC date of SOURCE_DATE_EPOCH when that is set (so a batch
// can be made again byte for byte), otherwise today's local date.
QString cardTemplateDate();

// Where a file named by a design lives: absolute names as they are; relative names of artwork
// (a name without templates) against the design's folder, of per-row files against the data
// file's folder.
QString resolveCardFile(const QString& name, bool perRow, const QString& designFolder,
                        const QString& dataFolder);
