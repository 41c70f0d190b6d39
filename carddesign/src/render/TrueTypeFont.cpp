#include "TrueTypeFont.h"

#include <QTransform>

#include <algorithm>
#include <vector>

namespace carddesign {

namespace {

constexpr int maxCompositeDepth = 8;
constexpr int maxComponents = 64;
constexpr std::uint32_t tag(const char (&t)[5]) {
    return std::uint32_t(t[0]) << 24 | std::uint32_t(t[1]) << 16 | std::uint32_t(t[2]) << 8 |
           std::uint32_t(t[3]);
}

const QString damaged = QStringLiteral("the font file is damaged");

} // namespace

// Offsets come from the file: added up in 64 bits, an offset near 4 GiB cannot wrap past the
// end check.
std::uint16_t TrueTypeFont::u16(std::uint32_t at) const {
    return std::uint64_t(at) + 2 <= size_ ? std::uint16_t(data_[at] << 8 | data_[at + 1]) : 0;
}

std::uint32_t TrueTypeFont::u32(std::uint32_t at) const {
    return std::uint64_t(at) + 4 <= size_ ? std::uint32_t(u16(at)) << 16 | u16(at + 2) : 0;
}

bool TrueTypeFont::inTable(const Table& t, std::uint32_t at, std::uint32_t size) const {
    return at >= t.offset && std::uint64_t(at) + size <= std::uint64_t(t.offset) + t.length;
}

bool TrueTypeFont::load(const QByteArray& bytes, QString& problem) {
    *this = TrueTypeFont(); // nothing of a font read before
    bytes_ = bytes;
    data_ = reinterpret_cast<const unsigned char*>(bytes_.constData());
    size_ = std::uint32_t(bytes_.size());
    return readTables(problem);
}

bool TrueTypeFont::readTables(QString& problem) {
    std::uint32_t base = 0;
    const std::uint32_t version = u32(0);
    if (version == tag("ttcf"))
        base = u32(12); // the first font of the collection
    const std::uint32_t sfnt = u32(base);
    if (sfnt == tag("OTTO")) {
        problem = QStringLiteral("fonts with PostScript (CFF) outlines are not supported; use a "
                                 "TrueType font (.ttf)");
        return false;
    }
    if (sfnt != 0x00010000 && sfnt != tag("true")) {
        problem = QStringLiteral("not a TrueType font");
        return false;
    }
    const int count = u16(base + 4);
    struct Wanted {
        std::uint32_t tag;
        Table* table;
    };
    const Wanted wanted[] = {{tag("head"), &head_}, {tag("hhea"), &hhea_}, {tag("hmtx"), &hmtx_},
                             {tag("maxp"), &maxp_}, {tag("loca"), &loca_}, {tag("glyf"), &glyf_},
                             {tag("cmap"), &cmap_}, {tag("name"), &name_}};
    for (int i = 0; i < count; ++i) {
        const std::uint32_t entry = base + 12 + 16 * std::uint32_t(i);
        if (entry + 16 > size_)
            break;
        for (const Wanted& w : wanted)
            if (u32(entry) == w.tag) {
                w.table->offset = u32(entry + 8);
                w.table->length = u32(entry + 12);
                if (std::uint64_t(w.table->offset) + w.table->length > size_) {
                    problem = damaged;
                    return false;
                }
            }
    }
    for (const Wanted& w : wanted)
        if (w.table->length == 0 && w.table != &name_) {
            problem = QStringLiteral("the font has no outlines this program can draw");
            return false;
        }
    if (head_.length < 54 || hhea_.length < 36 || maxp_.length < 6) {
        problem = damaged;
        return false;
    }
    unitsPerEm_ = u16(head_.offset + 18);
    const std::uint16_t macStyle = u16(head_.offset + 44);
    bold_ = macStyle & 1;
    italic_ = macStyle & 2;
    longOffsets_ = u16(head_.offset + 50) != 0;
    ascent_ = std::int16_t(u16(hhea_.offset + 4));
    descent_ = -std::int16_t(u16(hhea_.offset + 6));
    lineGap_ = std::max(0, int(std::int16_t(u16(hhea_.offset + 8))));
    metricCount_ = u16(hhea_.offset + 34);
    glyphCount_ = u16(maxp_.offset + 4);
    const std::uint32_t locaEntry = longOffsets_ ? 4 : 2;
    if (unitsPerEm_ < 16 || metricCount_ == 0 || glyphCount_ == 0 ||
        std::uint64_t(metricCount_) * 4 > hmtx_.length ||
        (std::uint64_t(glyphCount_) + 1) * locaEntry > loca_.length || ascent_ + descent_ <= 0) {
        problem = damaged;
        return false;
    }
    if (!readCharacterMap()) {
        problem = QStringLiteral("the font has no Unicode character map");
        return false;
    }
    readNames();
    return true;
}

bool TrueTypeFont::readCharacterMap() {
    const int count = u16(cmap_.offset + 2);
    int best = 0; // 2: a full Unicode map (format 12), 1: the basic plane (format 4)
    for (int i = 0; i < count; ++i) {
        const std::uint32_t record = cmap_.offset + 4 + 8 * std::uint32_t(i);
        if (!inTable(cmap_, record, 8))
            break;
        const int platform = u16(record), encoding = u16(record + 2);
        const std::uint32_t at = cmap_.offset + u32(record + 4);
        if (!inTable(cmap_, at, 16))
            continue;
        const bool unicode = platform == 0 || (platform == 3 && (encoding == 1 || encoding == 10));
        const int format = u16(at);
        const int rank = !unicode ? 0 : format == 12 ? 2 : format == 4 ? 1 : 0;
        if (rank > best) {
            best = rank;
            cmapSubtable_ = at;
            cmapFormat_ = format;
        }
    }
    return best > 0;
}

std::uint16_t TrueTypeFont::glyphFor(char32_t c) const {
    const std::uint32_t at = cmapSubtable_;
    std::uint32_t glyph = 0;
    if (cmapFormat_ == 12) {
        const std::uint32_t groups = u32(at + 12);
        std::uint32_t low = 0, high = std::min<std::uint32_t>(groups, cmap_.length / 12);
        while (low < high) {
            const std::uint32_t mid = (low + high) / 2;
            const std::uint32_t group = at + 16 + 12 * mid;
            if (!inTable(cmap_, group, 12))
                return 0;
            if (c < u32(group))
                high = mid;
            else if (c > u32(group + 4))
                low = mid + 1;
            else {
                glyph = u32(group + 8) + (c - u32(group));
                break;
            }
        }
    } else if (cmapFormat_ == 4 && c <= 0xFFFF) {
        const std::uint32_t segments = u16(at + 6) / 2;
        const std::uint32_t ends = at + 14, starts = ends + 2 * segments + 2;
        const std::uint32_t deltas = starts + 2 * segments, ranges = deltas + 2 * segments;
        if (!inTable(cmap_, at, 16 + 8 * segments))
            return 0;
        std::uint32_t low = 0, high = segments;
        while (low < high) { // the first segment whose end is at or after c
            const std::uint32_t mid = (low + high) / 2;
            if (u16(ends + 2 * mid) < c)
                low = mid + 1;
            else
                high = mid;
        }
        if (low == segments || u16(starts + 2 * low) > c)
            return 0;
        const std::uint16_t delta = u16(deltas + 2 * low);
        const std::uint16_t range = u16(ranges + 2 * low);
        if (range == 0) {
            glyph = (c + delta) & 0xFFFF;
        } else {
            const std::uint32_t entry = ranges + 2 * low + range + 2 * (c - u16(starts + 2 * low));
            if (!inTable(cmap_, entry, 2))
                return 0;
            glyph = u16(entry);
            if (glyph != 0)
                glyph = (glyph + delta) & 0xFFFF;
        }
    }
    return glyph < std::uint32_t(glyphCount_) ? std::uint16_t(glyph) : 0;
}

void TrueTypeFont::readNames() {
    // The typographic family (16) groups weights a legacy family (1) splits apart.
    QString names[2];
    const int count = u16(name_.offset + 2);
    const std::uint32_t strings = name_.offset + u16(name_.offset + 4);
    for (int i = 0; i < count && name_.length > 0; ++i) {
        const std::uint32_t record = name_.offset + 6 + 12 * std::uint32_t(i);
        if (!inTable(name_, record, 12))
            break;
        const int platform = u16(record), id = u16(record + 6);
        const std::uint32_t length = u16(record + 8), at = strings + u16(record + 10);
        if ((id != 1 && id != 16) || !inTable(name_, at, length))
            continue;
        QString text;
        if (platform == 3 || platform == 0) {
            for (std::uint32_t k = 0; k + 1 < length; k += 2)
                text += QChar(u16(at + k));
        } else if (platform == 1) {
            text = QString::fromLatin1(reinterpret_cast<const char*>(data_ + at), int(length));
        }
        QString& slot = names[id == 16 ? 0 : 1];
        if (slot.isEmpty() || platform == 3)
            slot = text;
    }
    family_ = !names[0].isEmpty() ? names[0] : names[1];
}

int TrueTypeFont::advance(std::uint16_t glyph) const {
    const int entry = std::min<int>(glyph, metricCount_ - 1);
    return u16(hmtx_.offset + 4 * std::uint32_t(entry));
}

bool TrueTypeFont::glyphRange(std::uint16_t glyph, std::uint32_t& start, std::uint32_t& end) const {
    if (glyph >= glyphCount_)
        return false;
    if (longOffsets_) {
        start = u32(loca_.offset + 4 * std::uint32_t(glyph));
        end = u32(loca_.offset + 4 * std::uint32_t(glyph) + 4);
    } else {
        start = 2 * std::uint32_t(u16(loca_.offset + 2 * std::uint32_t(glyph)));
        end = 2 * std::uint32_t(u16(loca_.offset + 2 * std::uint32_t(glyph) + 2));
    }
    if (end <= start || end > glyf_.length || end - start < 10)
        return false; // a blank glyph, or one the file cannot hold
    start += glyf_.offset;
    end += glyf_.offset;
    return true;
}

QPainterPath TrueTypeFont::outline(std::uint16_t glyph) const {
    const auto it = outlines_.constFind(glyph);
    if (it != outlines_.constEnd())
        return *it;
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    int budget = maxOutlinePoints;
    appendGlyph(path, glyph, QTransform(1, 0, 0, -1, 0, 0), 0, budget); // y grows downwards
    if (cachedElements_ + path.elementCount() <= maxCachedElements) {
        cachedElements_ += path.elementCount();
        outlines_.insert(glyph, path);
    }
    return path;
}

void TrueTypeFont::appendGlyph(QPainterPath& path, std::uint16_t glyph, const QTransform& at,
                               int depth, int& budget) const {
    std::uint32_t start = 0, end = 0;
    if (depth > maxCompositeDepth || budget <= 0 || !glyphRange(glyph, start, end))
        return;
    --budget; // a part that draws nothing still costs its reading
    const int contours = std::int16_t(u16(start));
    if (contours >= 0)
        appendSimpleGlyph(path, start + 10, end, contours, at, budget);
    else
        appendCompositeGlyph(path, start + 10, end, at, depth, budget);
}

void TrueTypeFont::appendSimpleGlyph(QPainterPath& path, std::uint32_t at, std::uint32_t end,
                                     int contours, const QTransform& transform, int& budget) const {
    if (contours == 0 || at + 2 * std::uint32_t(contours) + 2 > end)
        return;
    std::vector<int> contourEnds(static_cast<std::size_t>(contours));
    for (int i = 0; i < contours; ++i) {
        contourEnds[std::size_t(i)] = u16(at + 2 * std::uint32_t(i));
        if (i > 0 && contourEnds[std::size_t(i)] <= contourEnds[std::size_t(i - 1)])
            return;
    }
    const std::size_t points = std::size_t(contourEnds.back()) + 1;
    if (points > std::size_t(budget))
        return; // more than a glyph may have: left out whole
    budget -= int(points);
    at += 2 * std::uint32_t(contours);
    at += 2 + u16(at); // the instructions
    // Flags, with repeats; then x and y as deltas.
    std::vector<unsigned char> flags;
    flags.reserve(points);
    while (flags.size() < points) {
        if (at >= end)
            return;
        const unsigned char flag = data_[at++];
        std::size_t times = 1;
        if (flag & 0x08) {
            if (at >= end)
                return;
            times += data_[at++];
        }
        for (; times > 0 && flags.size() < points; --times)
            flags.push_back(flag);
    }
    std::vector<QPointF> xy(points);
    for (int axis = 0; axis < 2; ++axis) {
        const unsigned char shortBit = axis == 0 ? 0x02 : 0x04;
        const unsigned char sameBit = axis == 0 ? 0x10 : 0x20;
        int value = 0;
        for (std::size_t i = 0; i < points; ++i) {
            const unsigned char f = flags[i];
            if (f & shortBit) {
                if (at + 1 > end)
                    return;
                const int d = data_[at++];
                value += (f & sameBit) ? d : -d;
            } else if (!(f & sameBit)) {
                if (at + 2 > end)
                    return;
                value += std::int16_t(u16(at));
                at += 2;
            }
            (axis == 0 ? xy[i].rx() : xy[i].ry()) = value;
        }
    }
    std::size_t first = 0;
    for (int c = 0; c < contours; ++c) {
        const std::size_t last = std::size_t(contourEnds[std::size_t(c)]);
        const std::size_t n = last - first + 1;
        auto point = [&](std::size_t k) { return transform.map(xy[first + k % n]); };
        auto on = [&](std::size_t k) { return (flags[first + k % n] & 1) != 0; };
        if (n >= 2) {
            // Start on an on-curve point, or between two control points when there is none.
            std::size_t begin = 0;
            while (begin < n && !on(begin))
                ++begin;
            const bool allOff = begin == n;
            const QPointF start = allOff ? (point(n - 1) + point(0)) / 2 : point(begin);
            path.moveTo(start);
            QPointF control;
            bool pending = false;
            for (std::size_t k = allOff ? 0 : begin + 1; k <= (allOff ? n - 1 : begin + n); ++k) {
                const QPointF p = point(k);
                if (on(k)) {
                    if (pending)
                        path.quadTo(control, p);
                    else
                        path.lineTo(p);
                    pending = false;
                } else {
                    if (pending)
                        path.quadTo(control, (control + p) / 2);
                    control = p;
                    pending = true;
                }
            }
            if (pending)
                path.quadTo(control, start);
            path.closeSubpath();
        }
        first = last + 1;
    }
}

void TrueTypeFont::appendCompositeGlyph(QPainterPath& path, std::uint32_t at, std::uint32_t end,
                                        const QTransform& transform, int depth, int& budget) const {
    auto f2dot14 = [this](std::uint32_t p) { return std::int16_t(u16(p)) / 16384.0; };
    for (int component = 0; component < maxComponents; ++component) {
        if (at + 4 > end)
            return;
        const std::uint16_t flags = u16(at);
        const std::uint16_t glyph = u16(at + 2);
        at += 4;
        qreal dx = 0, dy = 0;
        const bool words = flags & 0x0001;
        if (at + (words ? 4 : 2) > end)
            return;
        if (flags & 0x0002) { // offsets; point matching (rare) places the part unmoved
            dx = words ? std::int16_t(u16(at)) : static_cast<signed char>(data_[at]);
            dy = words ? std::int16_t(u16(at + 2)) : static_cast<signed char>(data_[at + 1]);
        }
        at += words ? 4 : 2;
        qreal a = 1, b = 0, c = 0, d = 1;
        if (flags & 0x0008) {
            if (at + 2 > end)
                return;
            a = d = f2dot14(at);
            at += 2;
        } else if (flags & 0x0040) {
            if (at + 4 > end)
                return;
            a = f2dot14(at);
            d = f2dot14(at + 2);
            at += 4;
        } else if (flags & 0x0080) {
            if (at + 8 > end)
                return;
            a = f2dot14(at);
            b = f2dot14(at + 2);
            c = f2dot14(at + 4);
            d = f2dot14(at + 6);
            at += 8;
        }
        appendGlyph(path, glyph, QTransform(a, b, c, d, dx, dy) * transform, depth + 1, budget);
        if (!(flags & 0x0020))
            return;
    }
}

} // namespace carddesign
