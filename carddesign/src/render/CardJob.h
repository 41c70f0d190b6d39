// The print job of one card: the design's options (templates expanded), each side's planes and
// overlay holes, and the magnetic tracks.
#pragma once

#include "carddesign/CardDesign.h"
#include "carddesign/CardTemplate.h"
#include "carddesign/RowChecks.h"

#include <QByteArray>
#include <QRect>
#include <QVector>

#include <array>
#include <optional>
#include <vector>

namespace carddesign {

struct SidePlanes {
    std::array<std::vector<unsigned char>, 4> planes; // y, m, c, k: column by column
    bool doubleK = false;
    std::optional<QVector<QRect>> overlayHoles; // dots; no value: no overlay panel
};

// Whether the job's options ask for K at 600 dots across (x-density 600) on `side`.
bool wantsDoubleK(const CardDesign& design, int side, const CardTemplateContext& context);

// Problems with the options and tracks are added to `problems` (and no job is returned).
QByteArray buildCardJob(const CardDesign& design, const CardTemplateContext& context,
                        const std::array<const SidePlanes*, 2>& sides,
                        std::vector<CardRowProblem>& problems);

// The job's time: SOURCE_DATE_EPOCH when it is set (jobs made again are the same bytes), else now.
qint32 cardJobTime();

} // namespace carddesign
