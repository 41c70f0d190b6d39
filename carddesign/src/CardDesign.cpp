#include "carddesign/CardDesign.h"

bool CardObject::operator==(const CardObject& o) const {
    return type == o.type && box == o.box && ink == o.ink && condition == o.condition &&
           text == o.text && font == o.font && color == o.color && align == o.align &&
           fit == o.fit && minSize == o.minSize && maxLines == o.maxLines && src == o.src &&
           imageFit == o.imageFit && symbology == o.symbology && data == o.data &&
           module == o.module && quietZone == o.quietZone && humanReadable == o.humanReadable &&
           fill == o.fill && stroke == o.stroke && strokeWidth == o.strokeWidth;
}

CardObject cardObjectDefaults(CardObjectType type) {
    CardObject object;
    object.type = type;
    if (type == CardObjectType::Line)
        object.stroke = Qt::black;
    return object;
}

CardInk effectiveInk(const CardObject& object) {
    if (object.ink != CardInk::Auto)
        return object.ink;
    if (object.type == CardObjectType::Barcode)
        return CardInk::K;
    if (object.type == CardObjectType::Text && object.color.rgb() == qRgb(0, 0, 0) &&
        object.color.alpha() == 255)
        return CardInk::K;
    return CardInk::Color;
}
