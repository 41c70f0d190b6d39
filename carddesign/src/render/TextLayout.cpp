#include "TextLayout.h"

#include <QTransform>

#include <algorithm>
#include <cmath>
#include <vector>

namespace carddesign {

namespace {

// Sizes ShrinkWrap tries, downwards from the design's size.
constexpr double shrinkStep = 0.25;

struct Glyph {
    const TrueTypeFont* face;
    std::uint16_t index;
    double advance; // em
    bool space;
};
using Line = std::vector<Glyph>;

std::vector<Line> paragraphs(const FontLibrary& fonts, const TrueTypeFont* face,
                             const QString& text) {
    std::vector<Line> result(1);
    for (const char32_t c : text.toUcs4()) {
        if (c == '\n') {
            result.emplace_back();
            continue;
        }
        if (c == '\r')
            continue;
        const bool space = c == ' ' || c == '\t';
        const char32_t shown = space ? U' ' : c;
        if (!space && (c < 0x20 || (c >= 0x7F && c < 0xA0)))
            continue; // control characters print nothing
        const TrueTypeFont* f = fonts.faceFor(shown, face);
        const std::uint16_t g = f->glyphFor(shown);
        result.back().push_back({f, g, double(f->advance(g)) / f->unitsPerEm(), space});
    }
    return result;
}

double width(const Line& line) {
    double w = 0, trailing = 0;
    for (const Glyph& g : line) {
        w += g.advance;
        trailing = g.space ? trailing + g.advance : 0;
    }
    return w - trailing; // spaces at the end of a line take no room
}

// Greedy breaking at spaces; a word longer than the line is broken between characters.
std::vector<Line> wrap(const std::vector<Line>& paras, double room) {
    std::vector<Line> lines;
    for (const Line& para : paras) {
        Line line;
        std::size_t i = 0;
        while (i < para.size()) {
            std::size_t wordEnd = i;
            while (wordEnd < para.size() && !para[wordEnd].space)
                ++wordEnd;
            while (wordEnd < para.size() && para[wordEnd].space)
                ++wordEnd;
            Line candidate = line;
            candidate.insert(candidate.end(), para.begin() + long(i), para.begin() + long(wordEnd));
            if (width(candidate) <= room || line.empty()) {
                if (width(candidate) > room) { // a word alone too long: break it
                    for (std::size_t k = i; k < wordEnd; ++k) {
                        Line more = line;
                        more.push_back(para[k]);
                        if (width(more) > room && !line.empty()) {
                            lines.push_back(line);
                            line.clear();
                        }
                        line.push_back(para[k]);
                    }
                } else {
                    line = std::move(candidate);
                }
                i = wordEnd;
                continue;
            }
            lines.push_back(line);
            line.clear();
        }
        lines.push_back(line);
    }
    return lines;
}

struct Metrics {
    double ascent, descent, gap; // em
    double lineHeight() const { return ascent + descent + gap; }
    double height(std::size_t lines) const { return lines == 0 ? 0 : lines * lineHeight() - gap; }
};

bool fits(const std::vector<Line>& lines, const Metrics& m, double em, const TextRequest& r) {
    if (r.maxLines > 0 && int(lines.size()) > r.maxLines)
        return false;
    double widest = 0;
    for (const Line& l : lines)
        widest = std::max(widest, width(l));
    // A small tolerance: rounding must not refuse a text that was sized to fit exactly.
    return widest * em <= r.box.width() + 1e-6 &&
           m.height(lines.size()) * em <= r.box.height() + 1e-6;
}

// Glyph outlines gathered into groups that touch no common dot (see TextResult::pieces).
class Pieces {
public:
    void add(const QPainterPath& glyph) {
        // The dots a glyph's antialiased fill may reach, with a dot to spare.
        QRectF reach = glyph.controlPointRect().adjusted(-2, -2, 2, 2);
        QPainterPath merged = glyph;
        for (std::size_t i = 0; i < pieces_.size();) {
            if (reach_[i].intersects(reach)) {
                reach |= reach_[i];
                merged.addPath(pieces_[i]);
                pieces_.erase(pieces_.begin() + long(i));
                reach_.erase(reach_.begin() + long(i));
                i = 0; // the larger reach may meet groups passed already
            } else {
                ++i;
            }
        }
        merged.setFillRule(Qt::WindingFill);
        pieces_.push_back(merged);
        reach_.push_back(reach);
    }
    std::vector<QPainterPath> take() { return std::move(pieces_); }

private:
    std::vector<QPainterPath> pieces_;
    std::vector<QRectF> reach_;
};

QPainterPath draw(const std::vector<Line>& lines, const Metrics& m, double em, const TextRequest& r,
                  std::vector<QPainterPath>& pieces) {
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    Pieces groups;
    const double top = r.box.top() + (r.box.height() - m.height(lines.size()) * em) / 2;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const double w = width(lines[n]) * em;
        double x = r.box.left();
        if (r.align == CardAlign::Center)
            x += (r.box.width() - w) / 2;
        else if (r.align == CardAlign::Right)
            x += r.box.width() - w;
        const double baseline = top + (n * m.lineHeight() + m.ascent) * em;
        for (const Glyph& g : lines[n]) {
            if (!g.space) {
                const double scale = em / g.face->unitsPerEm();
                const QPainterPath glyph =
                    QTransform(scale, 0, 0, scale, x, baseline).map(g.face->outline(g.index));
                path.addPath(glyph);
                if (!glyph.isEmpty())
                    groups.add(glyph);
            }
            x += g.advance * em;
        }
    }
    pieces = groups.take();
    return path;
}

QString pointText(double size) {
    return QString::number(size, 'g', 4) + QStringLiteral(" pt");
}

} // namespace

double lineHeightDots(const FontLibrary& fonts, const TextRequest& r) {
    const TrueTypeFont* face = fonts.face(r.family, r.bold, r.italic);
    if (!face)
        return 0;
    return double(face->ascent() + face->descent()) / face->unitsPerEm() * r.size * r.dotsPerInch /
           72.0;
}

TextResult layoutText(const FontLibrary& fonts, const TextRequest& r) {
    TextResult result;
    const TrueTypeFont* face = fonts.face(r.family, r.bold, r.italic);
    if (!face) {
        result.problem = QStringLiteral("no font of the family '%1' (available: %2)")
                             .arg(r.family, fonts.families().join(QStringLiteral(", ")));
        return result;
    }
    if (!(r.size > 0) || !(r.minSize > 0)) {
        result.problem = QStringLiteral("the text size must be more than 0 pt");
        return result;
    }
    const double upem = face->unitsPerEm();
    const Metrics m{face->ascent() / upem, face->descent() / upem, face->lineGap() / upem};
    const double dotsPerPoint = r.dotsPerInch / 72.0;
    const std::vector<Line> paras = paragraphs(fonts, face, r.text);
    const bool wraps = r.fit == CardTextFit::Wrap || r.fit == CardTextFit::ShrinkWrap;
    const double smallest = std::min(r.minSize, r.size);

    double size = r.size;
    std::vector<Line> lines = wraps ? wrap(paras, r.box.width() / (size * dotsPerPoint)) : paras;
    bool ok = fits(lines, m, size * dotsPerPoint, r);
    if (!ok && r.fit == CardTextFit::Shrink) {
        // One line per paragraph: the size that fits follows from the widest line and the height.
        double widest = 0;
        for (const Line& l : lines)
            widest = std::max(widest, width(l));
        double fitting = r.box.height() / (m.height(lines.size()) * dotsPerPoint);
        if (widest > 0)
            fitting = std::min(fitting, r.box.width() / (widest * dotsPerPoint));
        size = std::max(smallest, std::min(r.size, fitting));
        ok = fits(lines, m, size * dotsPerPoint, r);
    } else if (!ok && r.fit == CardTextFit::ShrinkWrap) {
        for (double s = r.size - shrinkStep; s >= smallest - 1e-9 && !ok; s -= shrinkStep) {
            size = std::max(s, smallest);
            lines = wrap(paras, r.box.width() / (size * dotsPerPoint));
            ok = fits(lines, m, size * dotsPerPoint, r);
        }
    }
    if (!ok && r.fit != CardTextFit::None) {
        const bool shrinks = r.fit == CardTextFit::Shrink || r.fit == CardTextFit::ShrinkWrap;
        if (r.maxLines > 0 && int(lines.size()) > r.maxLines && !shrinks)
            result.problem = QStringLiteral("the text needs %1 lines; at most %2 are allowed")
                                 .arg(lines.size())
                                 .arg(r.maxLines);
        else
            result.problem = QStringLiteral("the text does not fit its box%1")
                                 .arg(shrinks ? QStringLiteral(" even at ") + pointText(size)
                                              : QStringLiteral(" at ") + pointText(size));
    }
    result.size = size;
    result.lines = int(lines.size());
    if (r.outlines)
        result.path = draw(lines, m, size * dotsPerPoint, r, result.pieces);
    return result;
}

} // namespace carddesign
