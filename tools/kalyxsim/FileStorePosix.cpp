#include "FileStore.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kalyxsim {

bool makeFolder(const std::string& path) {
    ::mkdir(path.c_str(), 0755);
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool storeNewFile(const std::string& path, const std::vector<unsigned char>& bytes, bool& taken,
                  std::string& problem) {
    taken = false;
    std::string temporary = path + ".XXXXXX"; // never a job's name, unique to this writer
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        problem = std::strerror(errno);
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            problem = std::strerror(n < 0 ? errno : ENOSPC);
            ::close(fd);
            ::unlink(temporary.c_str());
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    // mkostemp makes the file 0600; a job gets the mode a newly created file would.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0644 & ~mask);
    if (::close(fd) != 0) {
        problem = std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    // Into place only while the name is free; a file system that cannot rename so takes a link.
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    const bool linked = errno == EINVAL && ::link(temporary.c_str(), path.c_str()) == 0;
    if (!linked) {
        taken = errno == EEXIST;
        problem = std::strerror(errno);
    }
    ::unlink(temporary.c_str());
    return linked;
}

} // namespace kalyxsim
