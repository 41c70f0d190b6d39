// Replacing a file on POSIX systems, decided on what is actually there: the target is looked at
// through a descriptor that follows no link (O_PATH | O_NOFOLLOW), a link is resolved one step at
// a time, and the new file is renamed only over the file that was checked. A name swapped for a
// link to a device while the job is written makes the save fail instead of replacing the device.
#include <kalyxdocument/FileReplacement.h>

#include <QFile>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kalyxfile {

namespace {

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// What is to be replaced: the path at the end of any links, and the file found there.
struct Target {
    QByteArray path;
    bool exists = false;
    struct stat info {};
};

QByteArray folderOf(const QByteArray& path) {
    const int slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

// Follows links from `given` to a regular file or to a name that does not exist yet; anything
// else is refused.
bool resolve(const QByteArray& given, Target& target, QString& reason) {
    QByteArray path = given;
    for (int hops = 0; hops < 40; ++hops) {
        const int fd = ::open(path.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            if (errno != ENOENT) {
                reason = systemReason(errno);
                return false;
            }
            target.path = path; // a new file
            return true;
        }
        struct stat info {};
        const bool statted = ::fstat(fd, &info) == 0;
        const int error = errno;
        ::close(fd);
        if (!statted) {
            reason = systemReason(error);
            return false;
        }
        if (S_ISREG(info.st_mode)) {
            target = {path, true, info};
            return true;
        }
        if (!S_ISLNK(info.st_mode)) {
            reason = QStringLiteral("Not a regular file");
            return false;
        }
        char next[PATH_MAX];
        const ssize_t length = ::readlink(path.constData(), next, sizeof next - 1);
        if (length < 0) {
            reason = systemReason(errno);
            return false;
        }
        const QByteArray link(next, int(length));
        path = link.startsWith('/') ? link : folderOf(path) + '/' + link;
    }
    reason = systemReason(ELOOP);
    return false;
}

bool writeAll(int fd, const QByteArray& bytes, QString& reason) {
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::write(fd, bytes.constData() + done, static_cast<std::size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            reason = systemReason(n < 0 ? errno : EIO);
            return false;
        }
        done += n;
    }
    return true;
}

// The new file takes the place of the old one in every way the process may give it; a new one
// gets the mode any new file of ours gets.
void giveOwnership(int fd, const Target& target) {
    if (!target.exists) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        (void)::fchmod(fd, 0666 & ~mask);
        return;
    }
    if (::fchown(fd, target.info.st_uid, target.info.st_gid) != 0)
        (void)::fchown(fd, static_cast<uid_t>(-1), target.info.st_gid); // a group we belong to
    (void)::fchmod(fd, target.info.st_mode & 07777);
}

// Renames `temporary` over the target only while the target is still the file checked (or
// still absent: then nothing that appeared meanwhile is replaced).
bool renameOverChecked(const QByteArray& temporary, const Target& target, QString& reason) {
    if (!target.exists) {
        if (::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, target.path.constData(),
                        RENAME_NOREPLACE) == 0)
            return true;
        reason = errno == EEXIST ? QStringLiteral("Not a regular file") : systemReason(errno);
        return false;
    }
    struct stat now {};
    if (::lstat(target.path.constData(), &now) != 0 || now.st_dev != target.info.st_dev ||
        now.st_ino != target.info.st_ino) {
        reason = QStringLiteral("Not a regular file");
        return false;
    }
    if (::rename(temporary.constData(), target.path.constData()) == 0)
        return true;
    reason = systemReason(errno);
    return false;
}

} // namespace

bool replaceFile(const QString& path, const QByteArray& bytes, QString& reason) {
    Target target;
    if (!resolve(QFile::encodeName(path), target, reason))
        return false;
    const int slash = target.path.lastIndexOf('/');
    QByteArray temporary = folderOf(target.path) + "/." + target.path.mid(slash + 1) + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        reason = systemReason(errno);
        return false;
    }
    bool ok = writeAll(fd, bytes, reason);
    if (ok) {
        giveOwnership(fd, target);
        if (::fsync(fd) != 0) {
            reason = systemReason(errno);
            ok = false;
        }
    }
    if (::close(fd) != 0 && ok) {
        reason = systemReason(errno);
        ok = false;
    }
    if (ok)
        ok = renameOverChecked(temporary, target, reason);
    if (!ok)
        ::unlink(temporary.constData());
    return ok;
}

} // namespace kalyxfile
