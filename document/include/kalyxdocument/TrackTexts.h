// The texts the window's Mag data page shows for the cells of one track, shared with the command
// line so both show a track alike.
#pragma once

#include <prnformat/TrackCharacters.h>

#include <QString>

// The characters, "Length error!!!", or empty when the track has no bits or the cell width is
// not one.
QString trackDataText(const Orvane::TrackCharacters& cells);
// "0x" and the LRC cell in hexadecimal, "Error", "0x" when the track has no bits, or empty when
// the cell width is not one.
QString trackLrcText(const Orvane::TrackCharacters& cells);
