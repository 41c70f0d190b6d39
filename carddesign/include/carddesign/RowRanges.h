// The rows a batch takes, written like "1-10,15,20-" (an open end runs to the last row).
#pragma once

#include <QString>

#include <utility>
#include <vector>

class RowRanges {
public:
    // All rows.
    RowRanges() = default;
    // False with the reason when `text` is not a list of rows and ranges from 1.
    bool parse(const QString& text, QString& error);

    bool contains(int row) const;
    // True when no row after `row` is selected (reading can stop).
    bool endsBefore(int row) const;

private:
    std::vector<std::pair<int, int>> ranges_; // inclusive; empty: all
};
