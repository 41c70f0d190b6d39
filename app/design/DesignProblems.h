// The problems of a design itself, the same for every row: what the reader would refuse, objects
// outside the card, artwork files that are missing, templates that are not well formed, and what
// the renderer finds in the parts that take nothing from a row (a barcode whose fixed data its
// symbology cannot encode). With a row shown, that row's own problems follow ("row 3: ...").
#pragma once

#include <carddesign/CardDesign.h>
#include <carddesign/CardTemplate.h>

#include <QStringList>

QStringList designProblems(const CardDesign& design, const QString& readBackProblem,
                           const CardTemplateContext& row = {},
                           const QString& dataFolder = QString());
