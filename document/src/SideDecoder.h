// Builds the colour preview of one card side from its Y, M, C and K planes.
#pragma once

#include <QImage>

#include <cstdint>
#include <vector>

// A rectangle in dots. Both far edges belong to it, and every comparison is made on unsigned
// 32-bit values, so a negative field stands for a huge one.
struct PanelRect {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

struct SideDecodeInput {
    std::uint32_t width = 0;  // card columns, 1 .. 2026
    std::uint32_t height = 0; // card rows (bytes per plane column), 1 .. 642
    // Column-major planes in the order y, m, c, k; null means no ink. A double-density plane
    // holds two columns per card column, which are averaged.
    const unsigned char* planes[4] = {};
    bool doubleDensity[4] = {};
    // With any area a plane keeps its ink only inside its areas; holes always remove ink.
    std::vector<PanelRect> areas[4];
    std::vector<PanelRect> holes[4];
    // Dots inside the patch are left out of the preview (shown white).
    bool hasPatch = false;
    std::uint16_t patchX = 0, patchY = 0, patchWidth = 0, patchHeight = 0;
};

// ARGB32 image of width x height; pixel (x, y) shows card column x, row y. A null image when
// the size is out of range or the image cannot be allocated.
QImage decodeSideImage(const SideDecodeInput& in);

// The same into image, writing over its pixels when it holds their only reference and has the
// side's size and the ARGB32 or RGB32 format (every dot is opaque, so both store the same
// bytes): a caller that keeps its image between decodes needs no new memory. Any other image is
// replaced by a new ARGB32 one. False, with a null image, when the size is out of range or the
// image cannot be allocated.
bool decodeSideImage(const SideDecodeInput& in, QImage& image);
