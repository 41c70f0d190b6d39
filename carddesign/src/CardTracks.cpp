#include "carddesign/CardTracks.h"

#include <prnformat/TrackCharacters.h>

namespace {

// Cells a track holds at its recording density, the LRC cell included.
constexpr int isoCapacity[3] = {79, 40, 107};

unsigned bitsPerChar(int track) {
    return track == 1 ? 7 : 5;
}

} // namespace

QString checkCardTrack(int track, const QString& text) {
    if (track < 1 || track > 3)
        return QStringLiteral("there is no track %1").arg(track);
    const unsigned bits = bitsPerChar(track);
    const ushort first = ushort(Orvane::trackCharacterOffset(bits));
    const ushort last = ushort(first + (1u << (bits - 1)) - 1);
    for (int i = 0; i < text.size(); ++i) {
        const ushort c = text.at(i).unicode();
        if (c < first || c > last)
            return QStringLiteral("track %1 holds only the characters from '%2' to '%3'%4: "
                                  "'%5' at position %6 is not one of them")
                .arg(track)
                .arg(QChar(first))
                .arg(QChar(last))
                .arg(track == 1 ? QStringLiteral(" (capital letters)") : QString())
                .arg(text.at(i))
                .arg(i + 1);
    }
    if (text.size() + 1 > isoCapacity[track - 1])
        return QStringLiteral("track %1 holds at most %2 characters; the text has %3")
            .arg(track)
            .arg(isoCapacity[track - 1] - 1)
            .arg(text.size());
    return QString();
}

std::vector<bool> encodeCardTrack(int track, const QString& text, QString& problem) {
    problem = checkCardTrack(track, text);
    if (problem.isEmpty() && text.isEmpty())
        problem = QStringLiteral("the text for track %1 is empty").arg(track);
    if (!problem.isEmpty())
        return {};
    return Orvane::encodeTrackCharacters(text.toLatin1().toStdString(), bitsPerChar(track));
}
