#include <kalyxdocument/TrackTexts.h>

QString trackDataText(const Orvane::TrackCharacters& cells) {
    switch (cells.result) {
    case Orvane::TrackCharacters::BadCellWidth:
    case Orvane::TrackCharacters::NoBits:
        return QString();
    case Orvane::TrackCharacters::LengthError:
        return QStringLiteral("Length error!!!");
    case Orvane::TrackCharacters::Decoded:
        break;
    }
    // Each code is the character with that code point.
    return QString::fromLatin1(cells.codes.data(), int(cells.codes.size()));
}

QString trackLrcText(const Orvane::TrackCharacters& cells) {
    switch (cells.result) {
    case Orvane::TrackCharacters::BadCellWidth:
        return QString();
    case Orvane::TrackCharacters::NoBits:
        return QStringLiteral("0x");
    case Orvane::TrackCharacters::LengthError:
        return QStringLiteral("Error");
    case Orvane::TrackCharacters::Decoded:
        break;
    }
    return QStringLiteral("0x") + QString::number(cells.lrc, 16);
}
