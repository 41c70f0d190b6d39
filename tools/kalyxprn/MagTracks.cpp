#include "MagTracks.h"

#include <kalyxdocument/TrackTexts.h>

#include <prnformat/TrackBits.h>
#include <prnformat/TrackCharacters.h>

namespace cli {

namespace {

// Characters a stripe can hold at its recording density, the LRC cell included.
constexpr int isoCapacity[3] = {79, 40, 107};

} // namespace

unsigned isoBitsPerChar(int track) {
    return track == 1 ? 7 : 5;
}

bool encodeIsoTrack(int track, const QString& text, std::vector<bool>& bits, QString& problem) {
    bits.clear();
    if (track < 1 || track > 3) {
        problem = QStringLiteral("there is no track %1").arg(track);
        return false;
    }
    const unsigned b = isoBitsPerChar(track);
    const ushort first = b == 7 ? 0x20 : 0x30;
    const ushort last = b == 7 ? 0x5F : 0x3F;
    if (text.isEmpty()) {
        problem = QStringLiteral("the text for track %1 is empty").arg(track);
        return false;
    }
    for (int i = 0; i < text.size(); ++i) {
        const ushort c = text.at(i).unicode();
        if (c < first || c > last) {
            problem = QStringLiteral("track %1 holds only the characters from '%2' to '%3': "
                                     "'%4' at position %5 is not one of them")
                          .arg(track)
                          .arg(QChar(first))
                          .arg(QChar(last))
                          .arg(text.at(i))
                          .arg(i + 1);
            return false;
        }
    }
    if (text.size() + 1 > isoCapacity[track - 1]) {
        problem = QStringLiteral("track %1 holds at most %2 characters; the text has %3")
                      .arg(track)
                      .arg(isoCapacity[track - 1] - 1)
                      .arg(text.size());
        return false;
    }
    bits = Orvane::encodeTrackCharacters(text.toLatin1().toStdString(), b);
    return true;
}

std::vector<IsoTrack> decodeIsoTracks(const Orvane::MagData& data) {
    std::vector<IsoTrack> tracks;
    for (int t = 1; t <= 3; ++t) {
        IsoTrack track;
        track.track = t;
        const std::vector<bool>& bits = data.tracks[std::size_t(t - 1)];
        track.bits.reserve(int(bits.size()));
        for (bool bit : bits)
            track.bits += bit ? QLatin1Char('1') : QLatin1Char('0');
        // A track that was not read shows nothing, as a job without data for it does.
        if (!bits.empty()) {
            std::vector<unsigned char> bytes;
            Orvane::packTrackBits(bits, bytes);
            const Orvane::TrackCharacters cells = Orvane::decodeTrackCharacters(
                bytes.data(), bytes.size(), bits.size(), isoBitsPerChar(t));
            track.text = trackDataText(cells);
            track.lrc = trackLrcText(cells);
        }
        tracks.push_back(track);
    }
    return tracks;
}

} // namespace cli
