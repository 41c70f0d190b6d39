// The checks a data row needs before anything is drawn: the columns its templates name, the
// magnetic track texts and the option values it produces.
#pragma once

#include "CardDesign.h"
#include "CardTemplate.h"

#include <QString>

#include <vector>

struct CardRowProblem {
    QString field;   // where: "front.objects[1].text", "mag.tracks.2", "options.card-options/x"
    QString problem; // what: "no column 'Name'"
};

// Every problem of `record` with `design` that needs no rendering.
std::vector<CardRowProblem> checkCardRow(const CardDesign& design,
                                         const CardTemplateContext& context);

// The column that names rows in messages: `name`'s index, the first column when `name` is
// empty, or -1 when there is no column of that name.
int cardKeyColumn(const CardColumns& columns, const QString& name);

// The text naming a row in messages: the value of column `keyColumn` (-1: none).
QString cardRowKey(const CardRecord& record, int keyColumn);
