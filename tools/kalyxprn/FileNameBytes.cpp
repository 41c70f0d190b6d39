#include "FileNameBytes.h"

#include <QTextCodec>

namespace cli {

namespace {

constexpr ushort keptBase = 0xDC00; // + byte (0x80 to 0xff)

// A lone low surrogate in the kept range; the second half of a pair is a character's.
bool isKept(const QChar* text, int i) {
    const ushort u = text[i].unicode();
    return u >= keptBase + 0x80 && u <= keptBase + 0xFF &&
           !(i > 0 && text[i - 1].isHighSurrogate());
}

// The length of the valid UTF-8 sequence at `p` (at most `left` bytes), 0 when it is invalid.
int validSequence(const unsigned char* p, int left) {
    const unsigned char b = p[0];
    if (b < 0x80)
        return 1;
    int n = 0;
    unsigned min = 0;
    unsigned code = 0;
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
        min = 0x80;
        code = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        min = 0x800;
        code = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        min = 0x10000;
        code = b & 0x07;
    } else {
        return 0;
    }
    if (left < n)
        return 0;
    for (int i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (p[i] & 0x3F);
    }
    // Overlong forms, surrogates and code points past Unicode are invalid too.
    if (code < min || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
        return 0;
    return n;
}

class ByteKeepingUtf8 : public QTextCodec {
public:
    QByteArray name() const override { return QByteArrayLiteral("UTF-8 (bytes kept)"); }
    int mibEnum() const override { return -4242; }

protected:
    QString convertToUnicode(const char* in, int length, ConverterState*) const override {
        QString text;
        text.reserve(length);
        const auto* p = reinterpret_cast<const unsigned char*>(in);
        int at = 0;
        while (at < length) {
            const int n = validSequence(p + at, length - at);
            if (n == 0) {
                text += QChar(ushort(keptBase + p[at]));
                ++at;
            } else {
                text += QString::fromUtf8(in + at, n);
                at += n;
            }
        }
        return text;
    }

    QByteArray convertFromUnicode(const QChar* in, int length, ConverterState*) const override {
        QByteArray bytes;
        bytes.reserve(length);
        int start = 0;
        for (int i = 0; i <= length; ++i) {
            if (i < length && !isKept(in, i))
                continue;
            bytes += QString::fromRawData(in + start, i - start).toUtf8();
            if (i < length)
                bytes += char(in[i].unicode() - keptBase);
            start = i + 1;
        }
        return bytes;
    }
};

} // namespace

void keepFileNameBytes() {
#ifndef Q_OS_WIN
    // Registered with Qt by its construction; lives as long as the process.
    static ByteKeepingUtf8* codec = new ByteKeepingUtf8;
    QTextCodec::setCodecForLocale(codec);
#endif
}

QString withoutKeptBytes(const QString& text) {
    QString s = text;
    for (int i = 0; i < s.size(); ++i)
        if (isKept(text.constData(), i))
            s[i] = QChar::ReplacementCharacter;
    return s;
}

} // namespace cli
