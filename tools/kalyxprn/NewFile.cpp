#include "NewFile.h"

#include <kalyxdocument/FileReplacement.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace cli {

NewFileResult writeNewFile(const QString& path, const QByteArray& bytes, bool replace,
                           QString& reason) {
    if (replace)
        return kalyxfile::replaceFile(path, bytes, reason) ? NewFileResult::Written
                                                           : NewFileResult::Failed;
    const QFileInfo target(path);
    if (target.exists() || target.isSymLink())
        return NewFileResult::Exists;
    QTemporaryFile temporary(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                             QStringLiteral(".XXXXXX"));
    if (!temporary.open()) {
        reason = temporary.errorString();
        return NewFileResult::Failed;
    }
    if (temporary.write(bytes) != bytes.size() || !temporary.flush()) {
        reason = temporary.errorString();
        return NewFileResult::Failed;
    }
    temporary.close();
    // Qt renames without replacing (renameat2 with RENAME_NOREPLACE on Linux, MoveFileEx
    // without MOVEFILE_REPLACE_EXISTING on Windows), so a file that appeared meanwhile stays.
    if (!temporary.rename(path)) {
        if (QFileInfo::exists(path))
            return NewFileResult::Exists;
        reason = temporary.errorString();
        return NewFileResult::Failed;
    }
    temporary.setAutoRemove(false);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                    QFile::ReadOther);
    return NewFileResult::Written;
}

} // namespace cli
