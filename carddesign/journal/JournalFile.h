// The file under a batch journal: opened for appending and locked for one process at a time,
// each appended line made durable before the call returns, a torn end cut off. The calls that
// differ between systems live in JournalFilePosix.cpp and JournalFileWindows.cpp.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace carddesign {

class JournalFile {
public:
    JournalFile() = default;
    ~JournalFile();
    JournalFile(const JournalFile&) = delete;
    JournalFile& operator=(const JournalFile&) = delete;

    enum class Opened { Ok, Busy, Failed };
    // Opens `path` for reading and appending, creating it when absent, and takes an exclusive
    // lock without waiting: Busy when another process holds it. `problem` says why otherwise.
    Opened openLocked(const QString& path, QString& problem);
    // Opens `path` for reading only; no lock (a running batch may be appending).
    bool openForReading(const QString& path, QString& problem);

    // Feeds the whole file to `chunk` in pieces, from the start.
    bool readAll(const std::function<void(const char*, qint64)>& chunk, QString& problem);
    // Writes `line` with one call and flushes it to the disk. On any failure the file is cut
    // back to where it ended, so a refused line leaves no trace.
    bool append(const QByteArray& line, QString& problem);
    // Cuts the file to `size` bytes (dropping a torn last line) and flushes it.
    bool truncate(qint64 size, QString& problem);
    qint64 size() const { return size_; }

private:
    void close();
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
    qint64 size_ = 0;
};

} // namespace carddesign
