// Writing a file that must not replace another: the bytes go to a temporary file beside it,
// which is renamed to the name only if nothing has that name by then.
#pragma once

#include <QByteArray>
#include <QString>

namespace cli {

enum class NewFileResult { Written, Exists, Failed };

// `replace`: an existing file is replaced (atomically) instead of kept.
NewFileResult writeNewFile(const QString& path, const QByteArray& bytes, bool replace,
                           QString& reason);

} // namespace cli
