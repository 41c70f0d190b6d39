#include "DesignProblems.h"

#include <carddesign/CardRenderer.h>
#include <carddesign/CardTemplate.h>
#include <carddesign/RowChecks.h>

#include <QFileInfo>
#include <QObject>

namespace {

QString where(int side, std::size_t index) {
    return QStringLiteral("%1.objects[%2]")
        .arg(side == 0 ? QStringLiteral("front") : QStringLiteral("back"))
        .arg(index);
}

bool artworkMissing(const CardDesign& design, const QString& name) {
    return !name.isEmpty() && !isCardTemplateVariable(name) &&
           !QFileInfo(resolveCardFile(name, false, design.folder, QString())).isFile();
}

void checkArtwork(const CardDesign& design, const QString& name, const QString& field,
                  QStringList& problems) {
    // Names taken from the row are checked per row, once data is open.
    if (artworkMissing(design, name))
        problems << QObject::tr("%1: the file '%2' is missing").arg(field, name);
}

// The design with every object that takes something from a row (or whose artwork is missing,
// said already) made an empty rectangle in its place, so what the renderer finds in the rest
// belongs to the design itself and keeps the objects' numbers.
CardDesign fixedParts(const CardDesign& design) {
    CardDesign fixed = design;
    for (auto* side : {&fixed.front, &fixed.back}) {
        if (!*side)
            continue;
        if (artworkMissing(design, (*side)->background.image))
            (*side)->background.image.clear();
        for (CardObject& o : (*side)->objects) {
            const bool fromRow = isCardTemplateVariable(o.text) || isCardTemplateVariable(o.data) ||
                                 isCardTemplateVariable(o.src);
            if (fromRow || (o.type == CardObjectType::Image && artworkMissing(design, o.src)))
                o = cardObjectDefaults(CardObjectType::Rect);
            o.condition.clear();
        }
    }
    return fixed;
}

QString said(const CardRowProblem& p) {
    return p.field + QStringLiteral(": ") + p.problem;
}

} // namespace

QStringList designProblems(const CardDesign& design, const QString& readBackProblem,
                           const CardTemplateContext& row, const QString& dataFolder) {
    QStringList problems;
    if (!readBackProblem.isEmpty())
        problems << readBackProblem;
    const double widthMm = design.width * 25.4 / 300;
    const double heightMm = design.height * 25.4 / 300;
    for (int s = 0; s < 2; ++s) {
        const auto& side = s == 0 ? design.front : design.back;
        if (!side)
            continue;
        checkArtwork(design, side->background.image,
                     (s == 0 ? QStringLiteral("front") : QStringLiteral("back")) +
                         QStringLiteral(".background.image"),
                     problems);
        for (std::size_t i = 0; i < side->objects.size(); ++i) {
            const CardObject& object = side->objects[i];
            const CardBox& b = object.box;
            const double left = std::min(b.x, b.x + b.w), right = std::max(b.x, b.x + b.w);
            const double top = std::min(b.y, b.y + b.h), bottom = std::max(b.y, b.y + b.h);
            if (right <= 0 || bottom <= 0 || left >= widthMm || top >= heightMm)
                problems << QObject::tr("%1: entirely off the card").arg(where(s, i));
            else if (left < 0 || top < 0 || right > widthMm || bottom > heightMm)
                problems << QObject::tr("%1: reaches over the card's edge").arg(where(s, i));
            if (object.type == CardObjectType::Image)
                checkArtwork(design, object.src, where(s, i) + QStringLiteral(".src"), problems);
            for (const QString& text : {object.text, object.data, object.src, object.condition}) {
                const QString fault = checkCardTemplate(text);
                if (!fault.isEmpty())
                    problems << where(s, i) + QStringLiteral(": ") + fault;
            }
        }
    }
    const CardTemplateContext none{nullptr, row.date};
    CardRenderer fixed(fixedParts(design));
    for (const CardRowProblem& p : fixed.designProblems())
        problems << said(p);
    for (const CardRowProblem& p : fixed.render(none, dataFolder, CardRenderer::CheckOnly).problems)
        problems << said(p);
    problems.removeDuplicates();
    if (row.record) {
        CardRenderer renderer(design);
        std::vector<CardRowProblem> found = checkCardRow(design, row);
        for (CardRowProblem& p : renderer.render(row, dataFolder, CardRenderer::CheckOnly).problems)
            found.push_back(std::move(p));
        QStringList rowProblems;
        for (const CardRowProblem& p : found)
            if (!problems.contains(said(p)))
                rowProblems << QObject::tr("row %1: %2").arg(row.record->row).arg(said(p));
        rowProblems.removeDuplicates();
        problems << rowProblems;
    }
    return problems;
}
