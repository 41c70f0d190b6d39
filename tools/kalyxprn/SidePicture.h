// The picture of one card side as the window shows it: what `render` writes and what
// `compose --preview` shows.
#pragma once

#include <kalyxdocument/KlxPrnHolder.h>

#include <QImage>
#include <QString>

namespace cli {

// `hidden`: panel letters of 'ymck' left out. Null when the side has no colour panels.
QImage sidePicture(KlxPrnHolder& holder, int side, const QString& hidden = QString());

} // namespace cli
