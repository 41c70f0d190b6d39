// Reading, checking and writing `*.card.json` designs. A design that cannot be used gives one
// message naming where in the document the fault is, e.g.
// "front.objects[2].font.size: must be a number from 1 to 200".
#pragma once

#include "CardDesign.h"

#include <QByteArray>
#include <QString>

#include <optional>

struct CardDesignResult {
    std::optional<CardDesign> design;
    QString error; // empty when `design` is set
};

// Reads and checks the design in `path`; the design's folder is that of `path`.
CardDesignResult loadCardDesign(const QString& path);
// Checks the design in `json`; `folder` becomes the design's folder.
CardDesignResult parseCardDesign(const QByteArray& json, const QString& folder);

// The design as a document the reader reads back to an equal design.
QByteArray cardDesignToJson(const CardDesign& design);
// Writes the design to `path` without losing the old file on failure; false with the reason.
bool saveCardDesign(const CardDesign& design, const QString& path, QString& error);
