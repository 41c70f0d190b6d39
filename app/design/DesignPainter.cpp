#include "DesignPainter.h"

#include <carddesign/CardRenderer.h>
#include <carddesign/CardUnits.h>

#include <QCache>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QTextOption>

#include <cmath>

namespace {

constexpr double dotsPerMm = 300 / 25.4;
constexpr double dotsPerPoint = 300 / 72.0;

QRectF dotsRect(const CardBox& box) {
    return QRectF(box.x * dotsPerMm, box.y * dotsPerMm, box.w * dotsPerMm, box.h * dotsPerMm)
        .normalized();
}

QString filled(const QString& text, const CardTemplateContext& context) {
    return context.record ? expandCardTemplate(text, context) : text;
}

void drawPicture(QPainter& painter, const QImage& image, const QRectF& box, CardImageFit fit) {
    const QSizeF size =
        QSizeF(image.size())
            .scaled(box.size(), fit == CardImageFit::Cover ? Qt::KeepAspectRatioByExpanding
                                                           : Qt::KeepAspectRatio);
    QRectF target(QPointF(), size);
    target.moveCenter(box.center());
    painter.save();
    painter.setClipRect(box, Qt::IntersectClip);
    painter.drawImage(target, image);
    painter.restore();
}

void drawMissing(QPainter& painter, const QRectF& box, const QString& name) {
    painter.save();
    painter.setPen(QPen(Qt::gray, 2));
    painter.setBrush(QColor(240, 240, 240));
    painter.drawRect(box);
    painter.drawLine(box.topLeft(), box.bottomRight());
    painter.drawLine(box.topRight(), box.bottomLeft());
    painter.setPen(Qt::darkGray);
    QFont font = painter.font();
    font.setPixelSize(24);
    painter.setFont(font);
    painter.drawText(box, Qt::AlignCenter | Qt::TextWordWrap, name);
    painter.restore();
}

int textFlags(const CardObject& object) {
    static const int aligns[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    int flags = aligns[int(object.align)] | Qt::AlignTop;
    if (object.fit == CardTextFit::Wrap || object.fit == CardTextFit::ShrinkWrap)
        flags |= Qt::TextWordWrap;
    return flags;
}

void drawText(QPainter& painter, const CardObject& object, const QRectF& box, const QString& text) {
    QFont font(object.font.family);
    font.setBold(object.font.bold);
    font.setItalic(object.font.italic);
    const int flags = textFlags(object);
    const bool shrink = object.fit == CardTextFit::Shrink || object.fit == CardTextFit::ShrinkWrap;
    // Shrinking steps down half a point at a time until the text fits or the smallest size.
    for (double size = object.font.size;; size -= 0.5) {
        font.setPixelSize(std::max(1, int(std::lround(size * dotsPerPoint))));
        const QRectF needed = QFontMetricsF(font).boundingRect(box, flags, text);
        if (!shrink || size - 0.5 < object.minSize ||
            (needed.width() <= box.width() + 0.5 && needed.height() <= box.height() + 0.5))
            break;
    }
    painter.save();
    painter.setFont(font);
    painter.setPen(object.color);
    painter.setClipRect(box, Qt::IntersectClip);
    painter.drawText(box, flags, text);
    painter.restore();
}

// A barcode as the renderer makes it, alone on a card the size of its box, so the editor shows
// the real symbol (its size, quiet zone and human-readable line). Symbols are kept by everything
// that shapes them, so dragging one draws from the cache.
struct BarcodeSymbol {
    QImage bars; // Format_Mono, 1 = a bar
    QString problem;
};

BarcodeSymbol barcodeSymbol(const CardObject& object, const QString& data,
                            const QString& fontFolder) {
    const int x0 = mmToDots(object.box.x), y0 = mmToDots(object.box.y);
    const int w = mmToDots(object.box.x + object.box.w) - x0;
    const int h = mmToDots(object.box.y + object.box.h) - y0;
    if (w < 1 || h < 1 || w > 4096 || h > 4096)
        return {};
    const CardFont& f = object.font;
    const QString key = QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8|%9|")
                            .arg(int(object.symbology))
                            .arg(object.module)
                            .arg(object.quietZone)
                            .arg(object.humanReadable)
                            .arg(f.family)
                            .arg(f.size)
                            .arg(f.bold)
                            .arg(f.italic)
                            .arg(object.minSize) +
                        QStringLiteral("%1x%2|%3|").arg(w).arg(h).arg(fontFolder) + data;
    static QCache<QString, BarcodeSymbol> cache(64);
    if (const BarcodeSymbol* known = cache.object(key))
        return *known;

    CardDesign alone;
    alone.folder = fontFolder; // its fonts may set the human-readable line
    alone.width = w;
    alone.height = h;
    CardObject code = object;
    code.box = CardBox{0, 0, dotsToMm(w), dotsToMm(h)};
    code.ink = CardInk::K;
    code.condition.clear();
    code.data = QString(data).replace(QLatin1Char('$'), QStringLiteral("$$")); // as it is
    alone.front.emplace();
    alone.front->background.color = QColor(Qt::white);
    alone.front->overlay.enabled = false;
    alone.front->objects.push_back(code);
    const CardColumns none;
    const CardRecord record{&none, {}, 1, 0};
    CardRenderer renderer(alone);
    const CardRenderer::Card card =
        renderer.render({&record, QString()}, QString(), CardRenderer::KPlane);
    auto* symbol = new BarcodeSymbol{card.kPlanes[0], QString()};
    for (const CardRowProblem& p : card.problems)
        symbol->problem = p.problem;
    cache.insert(key, symbol);
    return *symbol;
}

void drawBarcode(QPainter& painter, const CardObject& object, const QRectF& box,
                 const QString& data, const QString& fontFolder) {
    const BarcodeSymbol symbol = barcodeSymbol(object, data, fontFolder);
    if (!symbol.problem.isEmpty() || symbol.bars.isNull()) {
        drawMissing(painter, box, symbol.problem.isEmpty() ? data : symbol.problem);
        return;
    }
    QImage bars = symbol.bars;
    const bool k = effectiveInk(object) == CardInk::K;
    bars.setColorTable({qRgba(0, 0, 0, 0), (k ? QColor(Qt::black) : object.color).rgba()});
    painter.drawImage(box.topLeft(), bars);
}

} // namespace

QRectF designObjectRect(const CardObject& object) {
    return dotsRect(object.box);
}

void paintDesignSide(QPainter& painter, const CardDesign& design, const CardSide& side,
                     const CardTemplateContext& context, const QString& dataFolder) {
    const QRectF card(0, 0, design.width, design.height);
    painter.fillRect(card, side.background.color.isValid() ? side.background.color : Qt::white);
    if (!side.background.image.isEmpty()) {
        const QString file =
            resolveCardFile(side.background.image, false, design.folder, dataFolder);
        const QImage image(file);
        if (image.isNull())
            drawMissing(painter, card, side.background.image);
        else
            drawPicture(painter, image, card, side.background.fit);
    }
    for (const CardObject& object : side.objects) {
        if (context.record && !cardConditionHolds(object.condition, context))
            continue;
        const QRectF box = designObjectRect(object);
        switch (object.type) {
        case CardObjectType::Text:
            drawText(painter, object, box, filled(object.text, context));
            break;
        case CardObjectType::Image: {
            const bool perRow = isCardTemplateVariable(object.src);
            const QImage image(
                resolveCardFile(filled(object.src, context), perRow, design.folder, dataFolder));
            if (image.isNull() || (perRow && !context.record))
                drawMissing(painter, box, object.src);
            else
                drawPicture(painter, image, box, object.imageFit);
            break;
        }
        case CardObjectType::Barcode:
            drawBarcode(painter, object, box, filled(object.data, context), design.folder);
            break;
        case CardObjectType::Rect:
            painter.setPen(object.stroke.isValid()
                               ? QPen(object.stroke, object.strokeWidth * dotsPerMm)
                               : QPen(Qt::NoPen));
            painter.setBrush(object.fill.isValid() ? QBrush(object.fill) : QBrush(Qt::NoBrush));
            painter.drawRect(box);
            break;
        case CardObjectType::Line: {
            const CardBox& b = object.box;
            painter.setPen(QPen(object.stroke.isValid() ? object.stroke : QColor(Qt::black),
                                object.strokeWidth * dotsPerMm));
            painter.drawLine(QPointF(b.x, b.y) * dotsPerMm,
                             QPointF(b.x + b.w, b.y + b.h) * dotsPerMm);
            break;
        }
        }
    }
}
