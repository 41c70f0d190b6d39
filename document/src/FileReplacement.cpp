#include <kalyxdocument/FileReplacement.h>

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kalyxfile {

namespace {

// What an existing target looks like, followed through links.
struct Target {
    bool exists = false;
#ifdef Q_OS_UNIX
    struct stat info {};
#endif
};

bool inspect(const QString& path, Target& target, QString& reason) {
#ifdef Q_OS_UNIX
    if (::stat(QFile::encodeName(path).constData(), &target.info) != 0) {
        if (errno == ENOENT)
            return true; // a new file
        reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    target.exists = true;
    if (!S_ISREG(target.info.st_mode)) {
        reason = QStringLiteral("Not a regular file");
        return false;
    }
#else
    const QFileInfo info(path);
    target.exists = info.exists();
    if (target.exists && !info.isFile()) {
        reason = QStringLiteral("Not a regular file");
        return false;
    }
#endif
    return true;
}

// The new file takes the place of the old one in every way the process may give it.
void keepOwnership(QSaveFile& file, const Target& target) {
#ifdef Q_OS_UNIX
    if (!target.exists)
        return;
    const int fd = file.handle();
    if (::fchown(fd, target.info.st_uid, target.info.st_gid) != 0)
        (void)::fchown(fd, static_cast<uid_t>(-1), target.info.st_gid); // a group we belong to
    (void)::fchmod(fd, target.info.st_mode & 07777);
#else
    (void)file;
    (void)target;
#endif
}

// Writes every byte to the new file, with the system's reason when it cannot.
bool writeAll(QSaveFile& file, const QByteArray& bytes, QString& reason) {
#ifdef Q_OS_UNIX
    // Straight to the descriptor: QFileDevice loses errno's reason by the time it reports.
    const int fd = file.handle();
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::write(fd, bytes.constData() + done, static_cast<std::size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            reason = QString::fromLocal8Bit(std::strerror(n < 0 ? errno : EIO));
            return false;
        }
        done += n;
    }
    return true;
#else
    if (file.write(bytes) == bytes.size())
        return true;
    reason = file.errorString();
    return false;
#endif
}

} // namespace

bool replaceFile(const QString& path, const QByteArray& bytes, QString& reason) {
    Target target;
    if (!inspect(path, target, reason))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        reason = file.errorString();
        return false;
    }
    if (!writeAll(file, bytes, reason)) {
        file.cancelWriting();
        return false;
    }
    keepOwnership(file, target);
    if (!file.commit()) {
        reason = file.errorString();
        return false;
    }
    return true;
}

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
