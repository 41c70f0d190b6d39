// Magnetic track texts on ISO tracks: track 1 holds up to 79 cells of the characters from ' ' to
// '_', tracks 2 and 3 up to 40 and 107 cells of '0' to '?', the LRC cell included.
#pragma once

#include <QString>

#include <vector>

// Empty when `text` can be written to ISO track `track` (1 to 3); otherwise why not.
QString checkCardTrack(int track, const QString& text);

// The track's bits (cells with odd parity and the LRC), or empty with `problem` set.
std::vector<bool> encodeCardTrack(int track, const QString& text, QString& problem);
