// The problems of a design itself, the same for every row: what the reader would refuse, objects
// outside the card, artwork files that are missing and templates that are not well formed.
#pragma once

#include <carddesign/CardDesign.h>

#include <QStringList>

QStringList designProblems(const CardDesign& design, const QString& readBackProblem);
