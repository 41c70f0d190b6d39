#include "DesignKPlane.h"

#include <carddesign/CardRenderer.h>

namespace {

// Every column the design's templates name.
QStringList templateColumns(const CardDesign& design) {
    QStringList columns;
    for (const auto* side : {&design.front, &design.back}) {
        if (!*side)
            continue;
        for (const CardObject& o : (*side)->objects)
            for (const QString* text : {&o.text, &o.data, &o.src, &o.condition})
                columns << cardTemplateColumns(*text, false);
    }
    columns.removeDuplicates();
    return columns;
}

} // namespace

std::array<QImage, 2> designKPlanes(const CardDesign& design, const CardTemplateContext& context,
                                    const QString& dataFolder) {
    CardRenderer renderer(design);
    if (context.record)
        return renderer.render(context, dataFolder, CardRenderer::KPlane).kPlanes;
    // A row whose values are the templates that name them: "${Name}" prints as itself.
    const CardColumns columns(templateColumns(design));
    CardRecord names{&columns, {}, 1, 0};
    for (const QString& column : columns.names())
        names.values << QStringLiteral("${%1}").arg(column);
    const CardTemplateContext shown{&names, context.date};
    return renderer.render(shown, dataFolder, CardRenderer::KPlane).kPlanes;
}

QImage kPlanePreview(const QImage& plane, QSize size) {
    if (plane.isNull() || size.isEmpty())
        return QImage();
    // Area averaging, then the printer's own rule: half covered or more is black.
    QImage grey = plane.convertToFormat(QImage::Format_Grayscale8)
                      .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                      .convertToFormat(QImage::Format_Grayscale8);
    for (int y = 0; y < grey.height(); ++y) {
        uchar* line = grey.scanLine(y);
        for (int x = 0; x < grey.width(); ++x)
            line[x] = line[x] <= 127 ? 0 : 255;
    }
    return grey;
}
