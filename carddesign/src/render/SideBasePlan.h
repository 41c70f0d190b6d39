// Which objects of a side can be drawn once for the whole batch, onto the side's background,
// instead of once per card: those that take nothing from the rows and touch no dot of an
// object drawn per card before them, so that drawing them early changes no dot of any card.
#pragma once

#include "carddesign/CardDesign.h"

#include <QRect>

#include <vector>

namespace carddesign {

// The dots an object may touch on any layer (a little more, never less).
QRect objectFootprint(const CardObject& object);

// True when the object draws the same on every card: its content and its condition ("if") take
// nothing from the rows.
bool objectIsSameForEveryRow(const CardObject& object);

// One flag per object of `side`: true for those drawn once onto the side's base.
std::vector<bool> objectsDrawnOnce(const CardSide& side);

} // namespace carddesign
