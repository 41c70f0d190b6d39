// Millimetres on the card and the printer's dots (300 per inch).
#pragma once

inline constexpr int cardDotsPerInch = 300;

// The nearest whole dot to `mm` millimetres.
int mmToDots(double mm);
double dotsToMm(int dots);
