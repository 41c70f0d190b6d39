// A card picture as the printer's Y, M, C and K planes: one byte per dot, column by column.
#pragma once

#include <QImage>

#include <array>
#include <vector>

namespace cli {

// `picture` is opaque, in Format_RGB32 or Format_ARGB32, and already at card size. Y, M and C
// are the complements of blue, green and red; dots no brighter than `blackLevel` in all three
// channels print with K alone (true black) and no colour. With `doubleK` the K plane carries
// every card column twice (x-density 600).
void toPlanes(const QImage& picture, unsigned blackLevel, bool doubleK,
              std::array<std::vector<unsigned char>, 4>& planes);

} // namespace cli
