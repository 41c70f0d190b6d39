// Magnetic track decoding: character cells of b bits, the first bit of a cell being the least
// significant of its code and the last one its parity; the last cell is the LRC.
#include "KlxPrnHolder.h"

#include <QCoreApplication>

namespace {

// Bits [first, first + count) of the track, the first of them as the most significant bit.
unsigned readBits(const unsigned char* data, quint64 first, unsigned count) {
    unsigned v = 0;
    for (unsigned i = 0; i < count; ++i) {
        const quint64 bit = first + i;
        v = v << 1 | ((data[bit / 8] >> (7 - bit % 8)) & 1u);
    }
    return v;
}

} // namespace

unsigned KlxPrnHolder::trackBitCount(int track) const {
    bool ok = false;
    const unsigned n = nodeText("/prn/card/mag-options/track-options[@track='" +
                                std::to_string(track) + "']/num-bits")
                           .toUInt(&ok, 10);
    return ok ? n : 0;
}

QString KlxPrnHolder::trackText(int track, unsigned bitsPerChar) const {
    const unsigned char* data = trackData(track);
    // A cell of 0 bits has no characters.
    if (!data || bitsPerChar > 8 || bitsPerChar == 0)
        return QString();
    const unsigned n = trackBitCount(track);
    if (n == 0)
        return QString();
    // The bit count may have been edited or read differently since the data were located:
    // never read past the bytes that belong to the track.
    if (bitsPerChar >= n || (quint64(n) + 7) / 8 > quint64(trackSize_[track - 1]) ||
        trackData_[track - 1] + trackSize_[track - 1] > raw.size())
        return QStringLiteral("Length error!!!");
    const unsigned offset = bitsPerChar == 5 ? 0x30 : bitsPerChar == 7 ? 0x20 : 0;
    const unsigned mask = (1u << (bitsPerChar - 1)) - 1;
    QString text;
    text.reserve(int(n / bitsPerChar));
    for (quint64 p = 0; p < n - bitsPerChar; p += bitsPerChar) {
        const unsigned v = readBits(data, p, bitsPerChar);
        unsigned r = 0;
        for (unsigned j = 0; j < bitsPerChar; ++j)
            r |= ((v >> j) & 1u) << (bitsPerChar - 1 - j);
        text.append(QChar(ushort(((r & mask) + offset) % 256)));
    }
    return text;
}

QString KlxPrnHolder::trackLrcText(int track, unsigned bitsPerChar) const {
    const unsigned char* data = trackData(track);
    if (!data || bitsPerChar > 8 || bitsPerChar == 0)
        return QString();
    const unsigned n = trackBitCount(track);
    if (n == 0)
        return QStringLiteral("0x");
    if (bitsPerChar >= n || (quint64(n) + 7) / 8 > quint64(trackSize_[track - 1]) ||
        trackData_[track - 1] + trackSize_[track - 1] > raw.size())
        return QStringLiteral("Error");
    return QStringLiteral("0x") + QString::number(readBits(data, n - bitsPerChar, bitsPerChar), 16);
}
