// Every template of a design with its place in the document, for the checks of a row.
#pragma once

#include "carddesign/CardDesign.h"

#include <QString>

#include <functional>

enum class CardTemplateKind { Text, File, Condition, Track, Option };

struct CardTemplateUse {
    QString path; // "front.objects[1].text"
    const QString* text;
    CardTemplateKind kind;
    int track = 0;     // Track: 1 to 3
    QString optionKey; // Option: its path
};

void forEachCardTemplate(const CardDesign& design,
                         const std::function<void(const CardTemplateUse&)>& visit);
