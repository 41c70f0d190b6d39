// The black resin (K) panel of a design on its own, as the renderer prints it: one bit per dot.
// Without a data row the templates' field names stand in for the values, as the editor shows.
#pragma once

#include <carddesign/CardDesign.h>
#include <carddesign/CardTemplate.h>

#include <QImage>

#include <array>

// Each side's K plane for the row in `context` (a null record: the field names); null for a
// side the design lacks.
std::array<QImage, 2> designKPlanes(const CardDesign& design, const CardTemplateContext& context,
                                    const QString& dataFolder);

// `plane` shrunk to `size` for the screen, still black and white only: a pixel is black where
// at least half of the dots it covers are.
QImage kPlanePreview(const QImage& plane, QSize size);
