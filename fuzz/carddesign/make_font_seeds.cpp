// Writes the seed corpus of the font reader's fuzzer: small fonts cut out of the fonts the
// program ships (a handful of glyphs, a composite among them and the parts it is made of),
// with each kind of character map, both kinds of glyph offsets, and inside a collection.
// Usage: make_font_seeds OUTDIR FONT...
#include "TrueTypeFont.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <map>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

std::uint32_t get16(const QByteArray& d, std::uint32_t at) {
    return std::uint32_t(std::uint8_t(d[int(at)])) << 8 | std::uint8_t(d[int(at + 1)]);
}
std::uint32_t get32(const QByteArray& d, std::uint32_t at) {
    return get16(d, at) << 16 | get16(d, at + 2);
}
void put16(Bytes& b, std::uint32_t v) {
    b.push_back(std::uint8_t(v >> 8));
    b.push_back(std::uint8_t(v));
}
void put32(Bytes& b, std::uint32_t v) {
    put16(b, v >> 16);
    put16(b, v & 0xFFFF);
}
void set16(Bytes& b, std::size_t at, std::uint32_t v) {
    b[at] = std::uint8_t(v >> 8);
    b[at + 1] = std::uint8_t(v);
}

struct Source {
    QByteArray data;
    std::map<std::string, std::pair<std::uint32_t, std::uint32_t>> tables; // offset, length
    Bytes table(const std::string& tag) const {
        const auto& t = tables.at(tag);
        return Bytes(data.begin() + t.first, data.begin() + t.first + t.second);
    }
    // A glyph's bytes, and the glyphs a composite is made of.
    Bytes glyph(std::uint32_t g) const {
        const std::uint32_t loca = tables.at("loca").first, glyf = tables.at("glyf").first;
        const bool longOffsets = get16(data, tables.at("head").first + 50) != 0;
        const std::uint32_t start =
            longOffsets ? get32(data, loca + 4 * g) : 2 * get16(data, loca + 2 * g);
        const std::uint32_t end =
            longOffsets ? get32(data, loca + 4 * g + 4) : 2 * get16(data, loca + 2 * g + 2);
        return Bytes(data.begin() + glyf + start, data.begin() + glyf + end);
    }
};

// Calls `f(offset of the glyph index)` for each part of a composite glyph.
template <typename F> void forEachPart(const Bytes& glyph, F f) {
    if (glyph.size() < 10 || std::int16_t(glyph[0] << 8 | glyph[1]) >= 0)
        return;
    for (std::size_t at = 10; at + 4 <= glyph.size();) {
        const unsigned flags = unsigned(glyph[at] << 8 | glyph[at + 1]);
        f(at + 2);
        at += 4 + ((flags & 1) ? 4 : 2);
        at += (flags & 0x8) ? 2 : (flags & 0x40) ? 4 : (flags & 0x80) ? 8 : 0;
        if (!(flags & 0x20))
            break;
    }
}

struct Options {
    bool longOffsets;
    int cmapFormat; // 4 or 12
    bool collection;
};

QByteArray subset(const Source& src, const std::vector<std::pair<char32_t, std::uint32_t>>& chars,
                  const Options& o) {
    // Old glyph numbers in new order: the missing glyph, the characters', then their parts.
    std::vector<std::uint32_t> glyphs{0};
    std::map<std::uint32_t, std::uint32_t> renumbered{{0, 0}};
    const auto add = [&](std::uint32_t g) {
        if (renumbered.emplace(g, std::uint32_t(glyphs.size())).second)
            glyphs.push_back(g);
    };
    for (const auto& c : chars)
        add(c.second);
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        const Bytes g = src.glyph(glyphs[i]);
        forEachPart(g, [&](std::size_t at) { add(std::uint32_t(g[at] << 8 | g[at + 1])); });
    }
    const std::uint32_t n = std::uint32_t(glyphs.size());

    Bytes glyf, loca, hmtx;
    const Bytes sourceHmtx = src.table("hmtx");
    const std::uint32_t sourceMetrics = get16(src.data, src.tables.at("hhea").first + 34);
    for (std::uint32_t g : glyphs) {
        if (o.longOffsets)
            put32(loca, std::uint32_t(glyf.size()));
        else
            put16(loca, std::uint32_t(glyf.size() / 2));
        Bytes bytes = src.glyph(g);
        forEachPart(bytes, [&](std::size_t at) {
            set16(bytes, at, renumbered.at(std::uint32_t(bytes[at] << 8 | bytes[at + 1])));
        });
        glyf.insert(glyf.end(), bytes.begin(), bytes.end());
        glyf.resize((glyf.size() + 3) & ~std::size_t(3));
        const std::uint32_t m = std::min(g, sourceMetrics - 1) * 4;
        hmtx.insert(hmtx.end(), sourceHmtx.begin() + m, sourceHmtx.begin() + m + 4);
    }
    if (o.longOffsets)
        put32(loca, std::uint32_t(glyf.size()));
    else
        put16(loca, std::uint32_t(glyf.size() / 2));

    Bytes head = src.table("head"), hhea = src.table("hhea"), maxp = src.table("maxp");
    set16(head, 50, o.longOffsets ? 1 : 0);
    set16(hhea, 34, n);
    set16(maxp, 4, n);

    Bytes cmap; // one Unicode subtable (Windows, Unicode full or BMP)
    put16(cmap, 0);
    put16(cmap, 1);
    put16(cmap, 3);
    put16(cmap, o.cmapFormat == 12 ? 10 : 1);
    put32(cmap, 12);
    if (o.cmapFormat == 12) {
        put16(cmap, 12);
        put16(cmap, 0);
        put32(cmap, std::uint32_t(16 + 12 * chars.size()));
        put32(cmap, 0);
        put32(cmap, std::uint32_t(chars.size()));
        for (const auto& c : chars) {
            put32(cmap, std::uint32_t(c.first));
            put32(cmap, std::uint32_t(c.first));
            put32(cmap, renumbered.at(c.second));
        }
    } else {
        // One segment per character: the first through the glyph array, the rest by delta.
        const std::uint32_t segments = std::uint32_t(chars.size()) + 1;
        put16(cmap, 4);
        put16(cmap, 16 + 8 * segments + 2);
        put16(cmap, 0);
        put16(cmap, 2 * segments);
        put16(cmap, 0);
        put16(cmap, 0);
        put16(cmap, 0);
        for (const auto& c : chars)
            put16(cmap, std::uint32_t(c.first));
        put16(cmap, 0xFFFF);
        put16(cmap, 0);
        for (const auto& c : chars)
            put16(cmap, std::uint32_t(c.first));
        put16(cmap, 0xFFFF);
        for (std::size_t i = 0; i < chars.size(); ++i)
            put16(cmap, i == 0 ? 0 : (renumbered.at(chars[i].second) - chars[i].first) & 0xFFFF);
        put16(cmap, 1);
        for (std::size_t i = 0; i < chars.size(); ++i) // the glyph array follows the segment
            put16(cmap, i == 0 ? 2 * (segments - i) : 0);
        put16(cmap, 0);
        put16(cmap, renumbered.at(chars[0].second));
    }

    Bytes name; // the family, in UTF-16 (Windows) and in Mac Roman
    const QString family = QStringLiteral("Seed Sans");
    put16(name, 0);
    put16(name, 2);
    put16(name, 6 + 2 * 12);
    for (const int platform : {3, 1}) {
        put16(name, std::uint32_t(platform));
        put16(name, platform == 3 ? 1 : 0);
        put16(name, platform == 3 ? 0x409 : 0);
        put16(name, platform == 3 ? 16 : 1);
        put16(name, std::uint32_t(platform == 3 ? 2 * family.size() : family.size()));
        put16(name, platform == 3 ? 0 : std::uint32_t(2 * family.size()));
    }
    for (const QChar c : family)
        put16(name, c.unicode());
    for (const QChar c : family)
        name.push_back(std::uint8_t(c.toLatin1()));

    const std::map<std::string, const Bytes*> tables = {
        {"cmap", &cmap}, {"glyf", &glyf}, {"head", &head}, {"hhea", &hhea},
        {"hmtx", &hmtx}, {"loca", &loca}, {"maxp", &maxp}, {"name", &name}};
    const std::uint32_t base = o.collection ? 16 : 0;
    Bytes out;
    if (o.collection) {
        out.insert(out.end(), {'t', 't', 'c', 'f'});
        put32(out, 0x00010000);
        put32(out, 1);
        put32(out, base);
    }
    put32(out, 0x00010000);
    put16(out, std::uint32_t(tables.size()));
    put16(out, 128);
    put16(out, 3);
    put16(out, std::uint32_t(tables.size() * 16 - 128));
    std::uint32_t at = base + 12 + 16 * std::uint32_t(tables.size());
    for (const auto& t : tables) {
        out.insert(out.end(), t.first.begin(), t.first.end());
        put32(out, 0); // checksums are not read
        put32(out, at);
        put32(out, std::uint32_t(t.second->size()));
        at += (std::uint32_t(t.second->size()) + 3) & ~3u;
    }
    for (const auto& t : tables) {
        out.insert(out.end(), t.second->begin(), t.second->end());
        out.resize((out.size() + 3) & ~std::size_t(3));
    }
    return QByteArray(reinterpret_cast<const char*>(out.data()), int(out.size()));
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    const Options options[] = {{true, 4, false}, {false, 12, false}, {true, 12, true}};
    for (int f = 2; f < argc; ++f) {
        QFile file(QString::fromLocal8Bit(argv[f]));
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        Source src;
        src.data = file.readAll();
        for (std::uint32_t i = 0; i < get16(src.data, 4); ++i) {
            const std::uint32_t entry = 12 + 16 * i;
            src.tables[src.data.mid(int(entry), 4).toStdString()] = {get32(src.data, entry + 8),
                                                                     get32(src.data, entry + 12)};
        }
        carddesign::TrueTypeFont font;
        QString problem;
        if (!font.load(src.data, problem))
            return 1;
        // A composite (é), a stroke (ł), Greek, Cyrillic, a space and plain letters.
        std::vector<std::pair<char32_t, std::uint32_t>> chars;
        for (const char32_t c : {U' ', U'%', U'A', U'g', U'é', U'ł', U'Ω', U'Ж'}) // ascending
            chars.emplace_back(c, font.glyphFor(c));
        for (std::size_t i = 0; i < std::size(options); ++i) {
            const QString name = QStringLiteral("%1-%2.ttf")
                                     .arg(QFileInfo(file.fileName()).completeBaseName())
                                     .arg(i);
            QFile seed(QDir(folder).filePath(name));
            const QByteArray bytes = subset(src, chars, options[i]);
            if (!seed.open(QIODevice::WriteOnly) || seed.write(bytes) != bytes.size())
                return 1;
        }
    }
    return 0;
}
