// The option elements the editor knows: where each lives, its default, how it is edited and the
// values it takes. The window builds its options tree from this table; kalyxprn checks the
// values it writes against it.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

struct KlxOptionEntry {
    // The element that holds the option: "card-options", "panel-options", "patch-options",
    // "area" (also used for "hole"), "mag-options" or "track-options".
    const char* group;
    const char* name;
    // Shown for an absent element; empty: no row unless the job has the element.
    const char* defaultValue;
    // "uint", "int", "bool", "rotation", "coercivity"; empty: shown, not edited.
    const char* editType;
    qint64 minimum;
    qint64 maximum;
    // Panel options only: 'o' for the overlay's own, '-' for the colour panels' (read-only
    // there), 0 for every panel.
    char panels;

    bool editable() const { return editType[0] != '\0'; }
};

// Every known option in the order the options tree shows them.
const std::vector<KlxOptionEntry>& klxOptionTable();

// The option `name` of an element named `group` ("hole" counts as "area"); for panel options
// `panel` is the panel letter. Null when the name is not known there.
const KlxOptionEntry* klxFindOption(const QString& group, const QString& name, char panel = 0);

// The known option names of a group, for messages.
QStringList klxOptionNames(const QString& group, char panel = 0);

// The values a list edit type offers ("bool", "rotation", "coercivity"); empty for others.
QStringList klxEditChoices(const QString& editType);

// Empty when `value` is one the editor could have written for `entry`; otherwise why not, e.g.
// "'abc' is not a whole number from 1 to 2147483647". Options that are not edited accept any text.
QString klxCheckOptionValue(const KlxOptionEntry& entry, const QString& value);
