#include "DesignPainter.h"

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

// A barcode is drawn as a pattern with its data beneath: enough to place and size it.
void drawBarcodeSketch(QPainter& painter, const CardObject& object, const QRectF& box,
                       const QString& data) {
    painter.save();
    painter.setClipRect(box, Qt::IntersectClip);
    painter.fillRect(box, Qt::white);
    const double module = std::max(1, object.module);
    const bool matrix =
        object.symbology == CardSymbology::Qr || object.symbology == CardSymbology::DataMatrix;
    const uint seed = qHash(data);
    if (matrix) {
        const double cell = module * 2;
        // A pattern of its own per data, from a mix of the cell's column and row.
        int row = 0;
        for (double y = box.top(); y + cell <= box.bottom(); y += cell, ++row) {
            int column = 0;
            for (double x = box.left(); x + cell <= box.right(); x += cell, ++column)
                if (((uint(column) * 73856093u ^ uint(row) * 19349663u ^ seed) >> 5) & 1)
                    painter.fillRect(QRectF(x, y, cell, cell), Qt::black);
        }
    } else {
        const double barsBottom = box.bottom() - (object.humanReadable ? 30 : 0);
        int i = 0;
        for (double x = box.left(); x < box.right(); x += module, ++i)
            if (((seed >> (i % 31)) ^ i) & 1)
                painter.fillRect(QRectF(x, box.top(), module, barsBottom - box.top()), Qt::black);
        if (object.humanReadable) {
            QFont font = painter.font();
            font.setPixelSize(26);
            painter.setFont(font);
            painter.setPen(Qt::black);
            painter.drawText(QRectF(box.left(), barsBottom, box.width(), 30), Qt::AlignCenter,
                             data);
        }
    }
    painter.restore();
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
            drawBarcodeSketch(painter, object, box, filled(object.data, context));
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
