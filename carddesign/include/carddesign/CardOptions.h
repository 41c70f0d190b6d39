// The job options a design sets, by path under the card element:
//   card-options/NAME, mag-options/NAME, track-options/TRACK/NAME (TRACK 1 to 3),
//   side-options/SIDE/PANEL/NAME (SIDE front or back, or 0 or 1, PANEL one of y, m, c, k, o).
// Values are checked against the option table as `kalyxprn set` checks them.
#pragma once

#include <QString>

struct CardOptionPath {
    QString group; // "card-options", "mag-options", "track-options" or "panel-options"
    QString name;
    int side = -1;  // side options: 0 front, 1 back
    char panel = 0; // side options: 'y', 'm', 'c', 'k' or 'o'
    int track = 0;  // track options: 1 to 3
};

// False with the reason when `key` is not one of the paths above naming a known option.
bool parseCardOptionPath(const QString& key, CardOptionPath& path, QString& problem);

// Empty when `value` is one the option at `key` takes; otherwise why not.
QString checkCardOptionValue(const QString& key, const QString& value);
