// Drawing a side of a card design with QPainter for the editor: close to the printed card, in
// the painter's units of printer dots, quick enough to redraw on every mouse move. The printed
// card itself comes from the renderer.
#pragma once

#include <carddesign/CardDesign.h>
#include <carddesign/CardTemplate.h>

#include <QRectF>
#include <QString>

class QPainter;

// The box of `object` in dots; a line's box is normalised.
QRectF designObjectRect(const CardObject& object);

// Draws `side` for the row in `context`; with no row (`context.record` null) texts show their
// templates, so the field names can be seen.
void paintDesignSide(QPainter& painter, const CardDesign& design, const CardSide& side,
                     const CardTemplateContext& context, const QString& dataFolder);
