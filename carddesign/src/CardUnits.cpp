#include "carddesign/CardUnits.h"

#include <cmath>

int mmToDots(double mm) {
    return int(std::lround(mm * cardDotsPerInch / 25.4));
}

double dotsToMm(int dots) {
    return dots * 25.4 / cardDotsPerInch;
}
