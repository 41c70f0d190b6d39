// Magnetic track decoding: the characters and the LRC cell of each track, as the Mag data page
// shows them.
#include <kalyxdocument/KlxPrnHolder.h>
#include <kalyxdocument/TrackTexts.h>

unsigned KlxPrnHolder::trackBitCount(int track) const {
    bool ok = false;
    const unsigned n = nodeText("/prn/card/mag-options/track-options[@track='" +
                                std::to_string(track) + "']/num-bits")
                           .toUInt(&ok, 10);
    return ok ? n : 0;
}

Orvane::TrackCharacters KlxPrnHolder::trackCharacters(int track, unsigned bitsPerChar) const {
    const unsigned char* data = trackData(track);
    // The bit count may have been edited or read differently since the data were located, and
    // data that run past the end of the job have no bytes to read: never read past either.
    const qint64 start = trackData_[track - 1];
    const qint64 size = trackSize_[track - 1];
    const std::size_t readable = start + size <= raw_.size() ? std::size_t(size) : 0;
    return Orvane::decodeTrackCharacters(data, readable, trackBitCount(track), bitsPerChar);
}

QString KlxPrnHolder::trackText(int track, unsigned bitsPerChar) const {
    if (!trackData(track))
        return QString();
    return trackDataText(trackCharacters(track, bitsPerChar));
}

QString KlxPrnHolder::trackLrcText(int track, unsigned bitsPerChar) const {
    if (!trackData(track))
        return QString();
    return ::trackLrcText(trackCharacters(track, bitsPerChar));
}
