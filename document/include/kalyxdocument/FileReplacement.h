// Writing a file in place of another without ever losing either: the new contents go to a
// complete file beside the target that is renamed over it, so a full disk or a crash leaves the
// old file as it was. Targets that exist and are not regular files (a device, a pipe, a link to
// one) are refused rather than replaced by a regular file; the decision is made on the file
// actually there, and the rename replaces only the file that was checked. A file replaced keeps
// its mode and, where the process may set them, its owner and group.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace kalyxfile {

// Writes `bytes` to `path`; false with the system's reason (for example "No space left on
// device") in `reason` otherwise.
bool replaceFile(const QString& path, const QByteArray& bytes, QString& reason);

// Writes `image` to `path` in the format its suffix names; false with the reason otherwise.
bool replaceImage(const QString& path, const QImage& image, QString& reason);

} // namespace kalyxfile
