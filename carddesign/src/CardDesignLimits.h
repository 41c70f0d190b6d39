// Bounds that keep a hostile design from taking the machine, and the ranges of its values.
#pragma once

namespace CardDesignLimits {

constexpr int maxFileBytes = 4 << 20;
constexpr int maxTextLength = 65536;
constexpr int maxObjects = 1000;
constexpr int maxHoles = 64;
constexpr int maxOptions = 256;
constexpr int maxDots = 4096;
constexpr double maxMm = 1000;
constexpr double maxStrokeMm = 20;
constexpr double minPoints = 1;
constexpr double maxPoints = 400;
constexpr int maxLines = 100;
constexpr int maxModule = 40;

} // namespace CardDesignLimits
