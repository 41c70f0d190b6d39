#include <kalyxdocument/FileReplacement.h>

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

namespace kalyxfile {

#ifndef Q_OS_UNIX
// Elsewhere through QSaveFile: a complete file beside the target, renamed over it
// (FileReplacementPosix.cpp decides on the file actually there).
bool replaceFile(const QString& path, const QByteArray& bytes, QString& reason) {
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        reason = QStringLiteral("Not a regular file");
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        reason = file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        reason = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        reason = file.errorString();
        return false;
    }
    return true;
}
#endif

bool replaceImage(const QString& path, const QImage& image, QString& reason) {
    const QByteArray format = QFileInfo(path).suffix().toLower().toLatin1();
    if (!QImageWriter::supportedImageFormats().contains(format)) {
        reason = QStringLiteral("Unknown image format '%1'").arg(QString::fromLatin1(format));
        return false;
    }
    // Encoded in memory first, so that writing it fails only for the file's own reasons.
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image)) {
        reason = writer.errorString();
        return false;
    }
    buffer.close();
    return replaceFile(path, encoded, reason);
}

} // namespace kalyxfile
