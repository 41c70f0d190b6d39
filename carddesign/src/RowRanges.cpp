#include "carddesign/RowRanges.h"

#include <QStringList>

#include <climits>

namespace {

// A row number from 1; 0 when `text` is not one.
int rowNumber(const QString& text) {
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return ok && n >= 1 ? n : 0;
}

} // namespace

bool RowRanges::parse(const QString& text, QString& error) {
    ranges_.clear();
    for (const QString& part : text.split(QLatin1Char(','))) {
        const int dash = part.indexOf(QLatin1Char('-'));
        const int first = rowNumber(dash < 0 ? part : part.left(dash));
        const bool openEnd = dash >= 0 && part.mid(dash + 1).trimmed().isEmpty();
        const int last = dash < 0 ? first : openEnd ? INT_MAX : rowNumber(part.mid(dash + 1));
        if (first == 0 || last == 0) {
            error = QStringLiteral("'%1' is not a row or a range of rows (rows count from 1: "
                                   "e.g. 1-10,15,20-)")
                        .arg(part);
            ranges_.clear();
            return false;
        }
        if (last < first) {
            error = QStringLiteral("'%1' runs backwards").arg(part);
            ranges_.clear();
            return false;
        }
        ranges_.emplace_back(first, last);
    }
    return true;
}

bool RowRanges::contains(int row) const {
    if (ranges_.empty())
        return true;
    for (const auto& range : ranges_)
        if (row >= range.first && row <= range.second)
            return true;
    return false;
}

bool RowRanges::endsBefore(int row) const {
    if (ranges_.empty())
        return false;
    for (const auto& range : ranges_)
        if (range.second >= row)
            return false;
    return true;
}
