// The panels of a card side, in the order the library numbers them (Orvane::PanelIndex):
// yellow, magenta, cyan and black carry one plane each, the overlay carries none.
#pragma once

namespace Orvane {

constexpr char kPanelLetters[] = {'y', 'm', 'c', 'k', 'o'};
constexpr int kPanelCount = 5;
// The first four panels have planes.
constexpr int kPlanePanelCount = 4;

// The number of a panel letter, or -1 for any other character.
constexpr int panelIndex(char letter) {
    for (int p = 0; p < kPanelCount; ++p)
        if (kPanelLetters[p] == letter)
            return p;
    return -1;
}

} // namespace Orvane
