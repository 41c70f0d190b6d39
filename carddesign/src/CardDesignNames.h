// The words a design file uses for the model's enumerations, shared by the reader and the
// writer so the two never disagree.
#pragma once

#include "carddesign/CardDesign.h"

#include <QString>

#include <utility>
#include <vector>

template <typename E> using CardNameTable = std::vector<std::pair<const char*, E>>;

const CardNameTable<CardObjectType>& cardObjectTypeNames();
const CardNameTable<CardInk>& cardInkNames(); // Auto has no name: it is the absent key
const CardNameTable<CardImageFit>& cardImageFitNames();
const CardNameTable<CardAlign>& cardAlignNames();
const CardNameTable<CardTextFit>& cardTextFitNames();
const CardNameTable<CardSymbology>& cardSymbologyNames();

template <typename E> const char* cardNameOf(const CardNameTable<E>& table, E value) {
    for (const auto& entry : table)
        if (entry.second == value)
            return entry.first;
    return "";
}

template <typename E> QString cardNameList(const CardNameTable<E>& table) {
    QString list;
    for (const auto& entry : table)
        list += (list.isEmpty() ? "" : ", ") + QLatin1String(entry.first);
    return list;
}
