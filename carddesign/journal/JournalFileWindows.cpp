#include "JournalFile.h"

#include <windows.h>

namespace carddesign {

namespace {

QString systemReason(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString reason = length ? QString::fromWCharArray(text, int(length)).trimmed()
                            : QStringLiteral("system error %1").arg(error);
    LocalFree(text);
    return reason;
}

bool seekTo(HANDLE handle, qint64 at) {
    LARGE_INTEGER position;
    position.QuadPart = at;
    return SetFilePointerEx(handle, position, nullptr, FILE_BEGIN) != 0;
}

} // namespace

JournalFile::~JournalFile() {
    close();
}

void JournalFile::close() {
    if (handle_)
        CloseHandle(static_cast<HANDLE>(handle_)); // also releases the lock
    handle_ = nullptr;
}

JournalFile::Opened JournalFile::openLocked(const QString& path, QString& problem) {
    close();
    // Others may read (the status command) but never write or delete while a batch runs.
    HANDLE handle =
        CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION)
            return Opened::Busy;
        problem = systemReason(error);
        return Opened::Failed;
    }
    handle_ = handle;
    // The lock covers one byte far past any journal's end, so that readers are never blocked.
    OVERLAPPED pastTheEnd{};
    pastTheEnd.OffsetHigh = 0x40000000;
    if (!LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                    &pastTheEnd)) {
        const DWORD error = GetLastError();
        close();
        if (error == ERROR_LOCK_VIOLATION)
            return Opened::Busy;
        problem = systemReason(error);
        return Opened::Failed;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle, &size)) {
        problem = systemReason(GetLastError());
        close();
        return Opened::Failed;
    }
    size_ = size.QuadPart;
    return Opened::Ok;
}

bool JournalFile::openForReading(const QString& path, QString& problem) {
    close();
    HANDLE handle = CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        problem = systemReason(GetLastError());
        return false;
    }
    handle_ = handle;
    LARGE_INTEGER size;
    GetFileSizeEx(handle, &size);
    size_ = size.QuadPart;
    return true;
}

bool JournalFile::readAll(const std::function<void(const char*, qint64)>& chunk, QString& problem) {
    HANDLE handle = static_cast<HANDLE>(handle_);
    if (!seekTo(handle, 0)) {
        problem = systemReason(GetLastError());
        return false;
    }
    char buffer[64 * 1024];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(handle, buffer, sizeof buffer, &got, nullptr)) {
            problem = systemReason(GetLastError());
            return false;
        }
        if (got == 0)
            return true;
        chunk(buffer, qint64(got));
    }
}

bool JournalFile::append(const QByteArray& line, QString& problem) {
    HANDLE handle = static_cast<HANDLE>(handle_);
    DWORD wrote = 0;
    DWORD error = 0;
    if (!seekTo(handle, size_) ||
        !WriteFile(handle, line.constData(), DWORD(line.size()), &wrote, nullptr))
        error = GetLastError();
    else if (wrote != DWORD(line.size()))
        error = ERROR_DISK_FULL;
    else if (!FlushFileBuffers(handle))
        error = GetLastError();
    if (error != 0) {
        problem = systemReason(error);
        if (seekTo(handle, size_) && SetEndOfFile(handle))
            FlushFileBuffers(handle);
        return false;
    }
    size_ += line.size();
    return true;
}

bool JournalFile::truncate(qint64 size, QString& problem) {
    HANDLE handle = static_cast<HANDLE>(handle_);
    if (!seekTo(handle, size) || !SetEndOfFile(handle) || !FlushFileBuffers(handle)) {
        problem = systemReason(GetLastError());
        return false;
    }
    size_ = size;
    return true;
}

} // namespace carddesign
