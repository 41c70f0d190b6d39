#include "TextEncoding.h"

void Utf8Validator::feed(const char* bytes, qint64 size) {
    for (qint64 i = 0; i < size && valid_; ++i) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (need_ > 0) {
            if (b < lower_ || b > upper_) {
                valid_ = false;
                return;
            }
            lower_ = 0x80;
            upper_ = 0xBF;
            --need_;
            continue;
        }
        if (b < 0x80)
            continue;
        // The first byte fixes the length and the range of the second byte, which rules out
        // overlong forms, surrogates and code points past U+10FFFF.
        if (b >= 0xC2 && b <= 0xDF) {
            need_ = 1;
        } else if (b == 0xE0) {
            need_ = 2, lower_ = 0xA0;
        } else if (b == 0xED) {
            need_ = 2, upper_ = 0x9F;
        } else if (b >= 0xE1 && b <= 0xEF) {
            need_ = 2;
        } else if (b == 0xF0) {
            need_ = 3, lower_ = 0x90;
        } else if (b >= 0xF1 && b <= 0xF3) {
            need_ = 3;
        } else if (b == 0xF4) {
            need_ = 3, upper_ = 0x8F;
        } else {
            valid_ = false;
        }
    }
}

QString fromWindows1252(const QByteArray& bytes) {
    // 0x80 to 0x9F; the five bytes the code page leaves undefined keep their C1 code points.
    static const char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text(bytes.size(), Qt::Uninitialized);
    for (int i = 0; i < bytes.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(bytes.at(i));
        text[i] = QChar(b >= 0x80 && b < 0xA0 ? high[b - 0x80] : char16_t(b));
    }
    return text;
}
