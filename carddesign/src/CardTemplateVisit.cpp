#include "CardTemplateVisit.h"

namespace {

void visitSide(const CardSide& side, const QString& path,
               const std::function<void(const CardTemplateUse&)>& visit) {
    for (std::size_t i = 0; i < side.objects.size(); ++i) {
        const CardObject& o = side.objects[i];
        const QString at = path + QStringLiteral(".objects[%1].").arg(i);
        if (!o.condition.isEmpty())
            visit({at + "if", &o.condition, CardTemplateKind::Condition, 0, {}});
        if (o.type == CardObjectType::Text)
            visit({at + "text", &o.text, CardTemplateKind::Text, 0, {}});
        else if (o.type == CardObjectType::Image)
            visit({at + "src", &o.src, CardTemplateKind::File, 0, {}});
        else if (o.type == CardObjectType::Barcode)
            visit({at + "data", &o.data, CardTemplateKind::Text, 0, {}});
    }
}

} // namespace

void forEachCardTemplate(const CardDesign& design,
                         const std::function<void(const CardTemplateUse&)>& visit) {
    for (auto it = design.options.begin(); it != design.options.end(); ++it)
        visit({"options." + it.key(), &it.value(), CardTemplateKind::Option, 0, it.key()});
    if (design.front)
        visitSide(*design.front, "front", visit);
    if (design.back)
        visitSide(*design.back, "back", visit);
    if (design.mag)
        for (int t = 1; t <= 3; ++t)
            visit({QStringLiteral("mag.tracks.%1").arg(t),
                   &design.mag->tracks[std::size_t(t - 1)],
                   CardTemplateKind::Track,
                   t,
                   {}});
}
