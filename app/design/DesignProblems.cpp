#include "DesignProblems.h"

#include <carddesign/CardTemplate.h>

#include <QFileInfo>
#include <QObject>

namespace {

QString where(int side, std::size_t index) {
    return QStringLiteral("%1.objects[%2]")
        .arg(side == 0 ? QStringLiteral("front") : QStringLiteral("back"))
        .arg(index);
}

void checkArtwork(const CardDesign& design, const QString& name, const QString& field,
                  QStringList& problems) {
    // Names taken from the row are checked per row, once data is open.
    if (name.isEmpty() || isCardTemplateVariable(name))
        return;
    if (!QFileInfo(resolveCardFile(name, false, design.folder, QString())).isFile())
        problems << QObject::tr("%1: the file '%2' is missing").arg(field, name);
}

} // namespace

QStringList designProblems(const CardDesign& design, const QString& readBackProblem) {
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
    problems.removeDuplicates();
    return problems;
}
