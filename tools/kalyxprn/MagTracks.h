// Magnetic tracks on the command line: ISO texts to track bits for composing jobs, and track
// bits read from a printer back to text, both through the format's own coder and decoder and
// the document's texts, so the tool agrees with the window's Mag data tab.
#pragma once

#include <kalyxcomms/Types.h>

#include <QString>

#include <vector>

namespace cli {

// Bits per character cell of ISO track 1, 2 or 3.
unsigned isoBitsPerChar(int track);

// Encodes `text` for ISO track 1 (7-bit cells: space to '_') or 2 and 3 (5-bit cells: '0' to
// '?'), each cell with odd parity, followed by the LRC cell. The text is stored as given
// (sentinels included). False with a reason when a character is outside the track's set or the
// text does not fit on the track.
bool encodeIsoTrack(int track, const QString& text, std::vector<bool>& bits, QString& problem);

struct IsoTrack {
    int track = 0;
    QString text; // as the window shows it
    QString lrc;  // "0x.." as the window shows it
    QString bits; // '0' and '1' in recording order
};

// Tracks 1, 2 and 3 decoded as the window's ISO mode does.
std::vector<IsoTrack> decodeIsoTracks(const Orvane::MagData& data);

} // namespace cli
