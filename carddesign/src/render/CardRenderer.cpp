#include "carddesign/CardRenderer.h"

#include "carddesign/CardUnits.h"

#include "Barcode.h"
#include "BarcodeLayout.h"
#include "CardJob.h"
#include "FontLibrary.h"
#include "PictureFiles.h"
#include "SideBasePlan.h"
#include "SideCanvas.h"
#include "TextLayout.h"

#include <QDir>
#include <QFontDatabase>
#include <QPainter>

#include <cmath>
#include <optional>

using namespace carddesign;

namespace {

QRect dotsRect(const CardBox& b) {
    const int x0 = mmToDots(b.x), y0 = mmToDots(b.y);
    return QRect(x0, y0, mmToDots(b.x + b.w) - x0, mmToDots(b.y + b.h) - y0);
}

PictureFit pictureFit(CardImageFit fit) {
    return fit == CardImageFit::Cover ? PictureFit::Cover : PictureFit::Contain;
}

// The painters of one side while it is drawn: colour, K coverage and knock-out.
struct Layers {
    explicit Layers(SideCanvas& canvas)
        : colour(&canvas.colour()), black(&canvas.blackCoverage()), clear(&canvas.knockOut()) {
        colour.setRenderHint(QPainter::Antialiasing);
        black.setRenderHint(QPainter::Antialiasing);
    }
    QPainter& of(CardInk ink) { return ink == CardInk::K ? black : colour; }
    QPainter colour;
    QPainter black;
    QPainter clear;
};

// A picture as K coverage: its darkness over white, to be thresholded like everything in K.
QImage darkness(const QImage& picture) {
    QImage alpha(picture.size(), QImage::Format_Alpha8);
    for (int y = 0; y < picture.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        uchar* out = alpha.scanLine(y);
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = in[x]; // premultiplied: over white adds what alpha leaves
            const int white = 255 - qAlpha(p);
            const int grey =
                ((qRed(p) + white) * 77 + (qGreen(p) + white) * 150 + (qBlue(p) + white) * 29) >> 8;
            out[x] = uchar(255 - qBound(0, grey, 255));
        }
    }
    return alpha;
}

} // namespace

struct CardRenderer::Impl {
    CardDesign design;
    FontLibrary fonts;
    PictureFiles pictures;
    std::vector<CardRowProblem> designProblems;
    // Each side's background, drawn once: it takes nothing from the rows.
    std::array<std::optional<QImage>, 2> backgrounds;
    std::array<CardRowProblem, 2> backgroundProblems;
    // Each side's background with the objects that are the same on every card and can be drawn
    // first (see SideBasePlan.h), drawn once; what drawing each of them found is told again for
    // every row, in its place among the row's problems.
    struct SideBase {
        std::optional<SideCanvas> canvas;
        std::vector<bool> drawn; // per object
        std::vector<std::vector<CardRowProblem>> problems;
        std::vector<QRect> perCard; // where the objects drawn per card may draw
    };
    std::array<SideBase, 2> bases;
    // Each side's canvas and planes, kept for the next card: a batch reuses their memory.
    std::array<std::optional<SideCanvas>, 2> canvases;
    std::array<bool, 2> canvasHoldsACard{};
    std::array<SidePlanes, 2> planes;

    struct Row {
        const CardTemplateContext& context;
        const QString& dataFolder;
        std::vector<CardRowProblem>& problems;
        QString expand(const QString& text) const { return expandCardTemplate(text, context); }
        void add(const QString& field, const QString& problem) const {
            problems.push_back({field, problem});
        }
    };

    const QImage& background(int s, const CardSide& side, const QString& prefix) {
        std::optional<QImage>& cached = backgrounds[std::size_t(s)];
        if (!cached) {
            QImage image(design.width, design.height, QImage::Format_RGB32);
            image.fill(side.background.color.isValid() ? side.background.color : QColor(Qt::white));
            if (!side.background.image.isEmpty()) {
                QPainter painter(&image);
                const QString path =
                    resolveCardFile(side.background.image, false, design.folder, QString());
                const QString problem = pictures.draw(painter, path, image.rect(),
                                                      pictureFit(side.background.fit), true);
                if (!problem.isEmpty())
                    backgroundProblems[std::size_t(s)] = {
                        prefix + QStringLiteral(".background.image"), problem};
            }
            cached = image;
        }
        return *cached;
    }

    void text(const CardObject& o, const QString& field, QRect box, Layers* layers,
              const Row& row) {
        TextRequest request;
        request.text = row.expand(o.text);
        if (request.text.isEmpty())
            return;
        request.family = o.font.family;
        request.bold = o.font.bold;
        request.italic = o.font.italic;
        request.size = o.font.size;
        request.minSize = o.minSize;
        request.maxLines = o.maxLines;
        request.fit = o.fit;
        request.align = o.align;
        request.box = box;
        request.dotsPerInch = cardDotsPerInch;
        request.outlines = layers != nullptr;
        if (!fonts.face(o.font.family, o.font.bold, o.font.italic)) {
            row.add(field + QStringLiteral(".font.family"), layoutText(fonts, request).problem);
            return;
        }
        const TextResult set = layoutText(fonts, request);
        if (!set.problem.isEmpty())
            row.add(field + QStringLiteral(".text"), set.problem);
        if (!layers)
            return;
        const CardInk ink = effectiveInk(o);
        QPainter& painter = layers->of(ink);
        painter.save();
        painter.setClipRect(box);
        for (const QPainterPath& piece : set.pieces)
            painter.fillPath(piece, ink == CardInk::K ? QColor(Qt::black) : o.color);
        painter.restore();
    }

    void image(const CardObject& o, const QString& field, QRect box, Layers* layers,
               const Row& row) {
        const QString name = row.expand(o.src);
        if (name.isEmpty()) {
            row.add(field + QStringLiteral(".src"), QStringLiteral("the row names no picture"));
            return;
        }
        const bool perRow = isCardTemplateVariable(o.src);
        const QString path = resolveCardFile(name, perRow, design.folder, row.dataFolder);
        QString problem;
        if (!layers) {
            problem = pictures.check(path);
        } else if (effectiveInk(o) == CardInk::Color) {
            problem = pictures.draw(layers->colour, path, box, pictureFit(o.imageFit), !perRow);
        } else {
            QImage drawn(box.size(), QImage::Format_ARGB32_Premultiplied);
            drawn.fill(Qt::transparent);
            QPainter painter(&drawn);
            problem = pictures.draw(painter, path, drawn.rect(), pictureFit(o.imageFit), !perRow);
            painter.end();
            if (problem.isEmpty())
                layers->black.drawImage(box.topLeft(), darkness(drawn));
        }
        if (!problem.isEmpty())
            row.add(field + QStringLiteral(".src"), problem);
    }

    void barcode(const CardObject& o, const QString& field, QRect box, Layers* layers,
                 const Row& row) {
        const BarcodeSymbol symbol = encodeBarcode(o.symbology, row.expand(o.data));
        if (!symbol.problem.isEmpty()) {
            row.add(field + QStringLiteral(".data"), symbol.problem);
            return;
        }
        TextRequest label;
        label.text = symbol.humanText;
        label.family = o.font.family;
        label.bold = o.font.bold;
        label.italic = o.font.italic;
        label.size = o.font.size;
        label.minSize = std::min(o.minSize, o.font.size);
        label.fit = CardTextFit::Shrink;
        label.align = CardAlign::Center;
        label.dotsPerInch = cardDotsPerInch;
        label.outlines = layers != nullptr;
        const bool withLabel = o.humanReadable && symbol.linear && !label.text.isEmpty();
        const int labelHeight =
            withLabel ? int(std::ceil(lineHeightDots(fonts, label))) + o.module : 0;
        const BarcodeLayout layout = layoutBarcode(symbol, box, o.module, o.quietZone, labelHeight);
        if (!layout.problem.isEmpty()) {
            row.add(field, layout.problem);
            return;
        }
        TextResult text;
        if (withLabel) {
            label.box = layout.text.adjusted(0, o.module, 0, 0);
            text = layoutText(fonts, label);
            if (!text.problem.isEmpty())
                row.add(field + QStringLiteral(".text"), text.problem);
        }
        if (!layers)
            return;
        const CardInk ink = effectiveInk(o);
        if (ink == CardInk::K)
            layers->clear.fillRect(layout.symbol, Qt::black);
        else
            layers->colour.fillRect(layout.symbol, Qt::white);
        QPainter& painter = layers->of(ink);
        const QColor colour = ink == CardInk::K ? QColor(Qt::black) : o.color;
        for (const QRect& bar : layout.bars)
            painter.fillRect(bar, colour);
        if (withLabel) {
            painter.save();
            painter.setClipRect(layout.text);
            for (const QPainterPath& piece : text.pieces)
                painter.fillPath(piece, colour);
            painter.restore();
        }
    }

    void shape(const CardObject& o, QRect box, Layers* layers) {
        if (!layers)
            return;
        const CardInk ink = effectiveInk(o);
        QPainter& painter = layers->of(ink);
        auto inked = [ink](const QColor& c) { return ink == CardInk::K ? QColor(Qt::black) : c; };
        const double width = o.strokeWidth * cardDotsPerInch / 25.4;
        if (o.type == CardObjectType::Line) {
            if (!o.stroke.isValid() || width <= 0)
                return;
            painter.setPen(QPen(inked(o.stroke), width, Qt::SolidLine, Qt::FlatCap));
            painter.drawLine(QPointF(mmToDots(o.box.x), mmToDots(o.box.y)),
                             QPointF(mmToDots(o.box.x + o.box.w), mmToDots(o.box.y + o.box.h)));
            return;
        }
        if (o.fill.isValid())
            painter.fillRect(box, inked(o.fill));
        if (o.stroke.isValid() && width > 0) {
            // The stroke lies inside the box, as the box is what the design measured.
            painter.setPen(
                QPen(inked(o.stroke), width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(QRectF(box).adjusted(width / 2, width / 2, -width / 2, -width / 2));
        }
    }

    void drawObject(const CardObject& o, std::size_t i, const QString& prefix, Layers* layers,
                    const Row& row) {
        if (!o.condition.isEmpty() && row.expand(o.condition).isEmpty())
            return;
        const QString field = QStringLiteral("%1.objects[%2]").arg(prefix).arg(i);
        const QRect box = dotsRect(o.box);
        switch (o.type) {
        case CardObjectType::Text:
            text(o, field, box, layers, row);
            break;
        case CardObjectType::Image:
            image(o, field, box, layers, row);
            break;
        case CardObjectType::Barcode:
            barcode(o, field, box, layers, row);
            break;
        case CardObjectType::Rect:
        case CardObjectType::Line:
            shape(o, box, layers);
            break;
        }
    }

    const SideBase& base(int s, const CardSide& side, const QString& prefix, const Row& row) {
        SideBase& b = bases[std::size_t(s)];
        if (b.canvas)
            return b;
        b.canvas.emplace(QSize(design.width, design.height));
        b.canvas->reset(background(s, side, prefix));
        b.drawn = objectsDrawnOnce(side);
        b.problems.resize(side.objects.size());
        for (std::size_t i = 0; i < side.objects.size(); ++i)
            if (!b.drawn[i])
                b.perCard.push_back(objectFootprint(side.objects[i]));
        Layers layers(*b.canvas);
        for (std::size_t i = 0; i < side.objects.size(); ++i)
            if (b.drawn[i]) // takes nothing from the row: any row's context will do
                drawObject(side.objects[i], i, prefix, &layers,
                           Row{row.context, row.dataFolder, b.problems[i]});
        return b;
    }

    void drawSide(int s, const CardSide& side, SideCanvas* canvas, const Row& row) {
        const QString prefix = s == 0 ? QStringLiteral("front") : QStringLiteral("back");
        background(s, side, prefix);
        if (!backgroundProblems[std::size_t(s)].problem.isEmpty())
            row.problems.push_back(backgroundProblems[std::size_t(s)]);
        if (!canvas) {
            for (std::size_t i = 0; i < side.objects.size(); ++i)
                drawObject(side.objects[i], i, prefix, nullptr, row);
            return;
        }
        const SideBase& b = base(s, side, prefix, row);
        // The last card on this canvas drew only where objects drawn per card may draw.
        bool& holdsACard = canvasHoldsACard[std::size_t(s)];
        if (holdsACard)
            canvas->reset(*b.canvas, b.perCard);
        else
            canvas->reset(*b.canvas);
        holdsACard = true;
        Layers layers(*canvas);
        for (std::size_t i = 0; i < side.objects.size(); ++i) {
            if (b.drawn[i])
                row.problems.insert(row.problems.end(), b.problems[i].begin(), b.problems[i].end());
            else
                drawObject(side.objects[i], i, prefix, &layers, row);
        }
    }
};

CardRenderer::CardRenderer(const CardDesign& design) : d(std::make_unique<Impl>()) {
    d->design = design;
    if (!design.folder.isEmpty()) {
        QStringList problems;
        d->fonts.addFolder(design.folder, problems);
        for (const QString& p : problems)
            d->designProblems.push_back({QStringLiteral("fonts"), p});
    }
}

CardRenderer::~CardRenderer() = default;

void CardRenderer::addBuiltInFontsToQt() {
    const FontLibrary fonts; // registers the resources
    const QDir shipped(QStringLiteral(":/carddesign/fonts"));
    for (const QString& name : shipped.entryList(QDir::Files, QDir::Name))
        QFontDatabase::addApplicationFont(shipped.filePath(name));
}

const std::vector<CardRowProblem>& CardRenderer::designProblems() const {
    return d->designProblems;
}

QStringList CardRenderer::fontFamilies() const {
    return d->fonts.families();
}

CardRenderer::Card CardRenderer::render(const CardTemplateContext& context,
                                        const QString& dataFolder, int outputs) {
    Card card;
    const Impl::Row row{context, dataFolder, card.problems};
    std::array<const SidePlanes*, 2> planes{};
    const QSize size(d->design.width, d->design.height);
    for (int s = 0; s < 2; ++s) {
        const std::optional<CardSide>& side = s == 0 ? d->design.front : d->design.back;
        if (!side)
            continue;
        std::optional<SideCanvas>& canvas = d->canvases[std::size_t(s)];
        if (outputs != CheckOnly && !canvas)
            canvas.emplace(size);
        d->drawSide(s, *side, outputs != CheckOnly ? &*canvas : nullptr, row);
        if (outputs == CheckOnly)
            continue;
        if (outputs & Pictures)
            card.sides[std::size_t(s)] = canvas->composed();
        if (outputs & KPlane)
            card.kPlanes[std::size_t(s)] = canvas->kPlane();
        if (outputs & Job) {
            SidePlanes& p = d->planes[std::size_t(s)];
            planes[std::size_t(s)] = &p;
            p.overlayHoles.reset();
            p.doubleK = wantsDoubleK(d->design, s, context);
            splitPlanes(*canvas, p.doubleK, p.planes);
            if (side->overlay.enabled) {
                p.overlayHoles.emplace();
                for (const CardBox& hole : side->overlay.holes)
                    p.overlayHoles->push_back(dotsRect(hole));
            }
        }
    }
    if ((outputs & Job) && card.problems.empty())
        card.job = buildCardJob(d->design, context, planes, card.problems);
    return card;
}
