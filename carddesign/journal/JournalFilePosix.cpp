#include "JournalFile.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace carddesign {

namespace {

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// A new file's name lives in its folder: flushing the folder keeps the file after a crash.
void syncFolderOf(const QString& path) {
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

JournalFile::~JournalFile() {
    close();
}

void JournalFile::close() {
    if (fd_ >= 0)
        ::close(fd_); // also releases the lock
    fd_ = -1;
}

JournalFile::Opened JournalFile::openLocked(const QString& path, QString& problem) {
    close();
    const QByteArray name = QFile::encodeName(path);
    const bool existed = ::access(name.constData(), F_OK) == 0;
    fd_ = ::open(name.constData(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd_ < 0) {
        problem = systemReason(errno);
        return Opened::Failed;
    }
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        problem = QStringLiteral("not a regular file");
        close();
        return Opened::Failed;
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        close();
        if (error == EWOULDBLOCK)
            return Opened::Busy;
        problem = systemReason(error);
        return Opened::Failed;
    }
    size_ = info.st_size;
    if (!existed)
        syncFolderOf(path);
    return Opened::Ok;
}

bool JournalFile::openForReading(const QString& path, QString& problem) {
    close();
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        problem = fd_ < 0 ? systemReason(errno) : QStringLiteral("not a regular file");
        close();
        return false;
    }
    size_ = info.st_size;
    return true;
}

bool JournalFile::readAll(const std::function<void(const char*, qint64)>& chunk, QString& problem) {
    char buffer[64 * 1024];
    off_t at = 0;
    for (;;) {
        const ssize_t got = ::pread(fd_, buffer, sizeof buffer, at);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            problem = systemReason(errno);
            return false;
        }
        if (got == 0)
            return true;
        chunk(buffer, got);
        at += got;
    }
}

bool JournalFile::append(const QByteArray& line, QString& problem) {
    ssize_t wrote;
    do
        wrote = ::write(fd_, line.constData(), std::size_t(line.size()));
    while (wrote < 0 && errno == EINTR);
    int error = wrote < 0 ? errno : 0;
    if (wrote >= 0 && wrote != line.size())
        error = ENOSPC; // a short write: the disk filled up part way
    if (error == 0 && ::fdatasync(fd_) != 0)
        error = errno;
    if (error != 0) {
        problem = systemReason(error);
        if (::ftruncate(fd_, size_) == 0)
            ::fdatasync(fd_);
        return false;
    }
    size_ += line.size();
    return true;
}

bool JournalFile::truncate(qint64 size, QString& problem) {
    if (::ftruncate(fd_, size) != 0 || ::fdatasync(fd_) != 0) {
        problem = systemReason(errno);
        return false;
    }
    size_ = size;
    return true;
}

} // namespace carddesign
