#include "SideBasePlan.h"

#include "carddesign/CardTemplate.h"
#include "carddesign/CardUnits.h"

#include <QRectF>

namespace carddesign {

QRect objectFootprint(const CardObject& o) {
    if (o.type == CardObjectType::Line) {
        // A line runs between the box's corners (its height may be negative); the pen reaches
        // half its width to each side, antialiasing a dot more.
        const double reach = o.strokeWidth * cardDotsPerInch / 25.4 / 2 + 2;
        const QRectF ends(QPointF(mmToDots(o.box.x), mmToDots(o.box.y)),
                          QPointF(mmToDots(o.box.x + o.box.w), mmToDots(o.box.y + o.box.h)));
        return ends.normalized().adjusted(-reach, -reach, reach, reach).toAlignedRect();
    }
    // Text, pictures and barcodes are clipped to their box; a rectangle's stroke lies inside.
    const int x0 = mmToDots(o.box.x), y0 = mmToDots(o.box.y);
    const QRect box(x0, y0, mmToDots(o.box.x + o.box.w) - x0, mmToDots(o.box.y + o.box.h) - y0);
    return box.normalized().adjusted(-1, -1, 1, 1);
}

bool objectIsSameForEveryRow(const CardObject& o) {
    if (isCardTemplateVariable(o.condition))
        return false;
    switch (o.type) {
    case CardObjectType::Text:
        return !isCardTemplateVariable(o.text);
    case CardObjectType::Image:
        return !isCardTemplateVariable(o.src);
    case CardObjectType::Barcode:
        return !isCardTemplateVariable(o.data);
    case CardObjectType::Rect:
    case CardObjectType::Line:
        break;
    }
    return true;
}

std::vector<bool> objectsDrawnOnce(const CardSide& side) {
    std::vector<bool> once(side.objects.size(), false);
    std::vector<QRect> perCard; // footprints of the objects before, drawn per card
    for (std::size_t i = 0; i < side.objects.size(); ++i) {
        const CardObject& o = side.objects[i];
        const QRect footprint = objectFootprint(o);
        bool free = objectIsSameForEveryRow(o);
        for (const QRect& earlier : perCard)
            free = free && !earlier.intersects(footprint);
        once[i] = free;
        if (!free)
            perCard.push_back(footprint);
    }
    return once;
}

} // namespace carddesign
