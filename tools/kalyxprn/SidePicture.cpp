#include "SidePicture.h"

namespace cli {

QImage sidePicture(KlxPrnHolder& holder, int side, const QString& hidden) {
    std::string hiddenPanels[2];
    hiddenPanels[side] = hidden.toStdString();
    holder.validateCard(hiddenPanels, true);
    return holder.sideImage(side);
}

} // namespace cli
