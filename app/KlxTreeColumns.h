// The options tree keeps each row's editing data on the row itself, in columns the tree does not
// show (its column count is 2).
#pragma once

#include <QColor>

namespace KlxTreeColumn {
enum : int {
    Name = 0,
    Value = 1,
    EditType = 2,   // empty for group and read-only rows
    ParentPath = 3, // XPath of the element that holds the value element
    Minimum = 4,
    Maximum = 5,
};
}

// A value the job leaves out, shown with its default.
inline QColor klxDefaultValueColour() {
    return QColor(224, 0, 0);
}
// A value written by the options editor.
inline QColor klxEditedValueColour() {
    return QColor(0, 0, 0);
}
