#include "HostSystem.h"

#include <winsock2.h>

#include <windows.h>

#include <cctype>

namespace cli {

// Name lookups need WinSock started in this process; it stays started until the program ends.
bool networkReady() {
    static const bool started = [] {
        WSADATA data{};
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

// A console, not a pipe or a file (a console handle answers GetConsoleMode).
bool stderrIsTerminal() {
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

namespace {

std::string systemMessage(DWORD error) {
    char* text = nullptr;
    const DWORD size = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = size && text ? std::string(text, size) : "error " + std::to_string(error);
    ::LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return message;
}

bool startsWithNoCase(const std::string& text, const char* prefix) {
    for (std::size_t i = 0; prefix[i]; ++i)
        if (i >= text.size() || std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

// One read of at most `size` bytes that waits no longer than `idleMs` (-1: for ever). False on
// a time-out or an error, with `error` set (ERROR_BROKEN_PIPE and ERROR_HANDLE_EOF: the end).
bool readSome(HANDLE handle, bool overlapped, char* data, DWORD size, int idleMs, DWORD& got,
              DWORD& error) {
    got = 0;
    error = ERROR_SUCCESS;
    if (!overlapped) {
        if (::ReadFile(handle, data, size, &got, nullptr))
            return true;
        error = ::GetLastError();
        return false;
    }
    OVERLAPPED ov{};
    ov.hEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    BOOL ok = ::ReadFile(handle, data, size, nullptr, &ov);
    if (ok || ::GetLastError() == ERROR_IO_PENDING) {
        if (::WaitForSingleObject(ov.hEvent, idleMs < 0 ? INFINITE : DWORD(idleMs)) !=
            WAIT_OBJECT_0)
            ::CancelIo(handle);
        // A cancelled read may still complete into `data`: wait for it either way.
        ok = ::GetOverlappedResult(handle, &ov, &got, TRUE);
    }
    if (!ok)
        error = ::GetLastError();
    ::CloseHandle(ov.hEvent);
    return ok != FALSE;
}

std::string openProblem(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return "no such device (unplugged, or the program serving it has ended)";
    case ERROR_ACCESS_DENIED:
        return "no permission";
    case ERROR_SHARING_VIOLATION:
    case ERROR_PIPE_BUSY:
    case ERROR_BUSY:
        return "busy: another program is using it";
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEV_NOT_EXIST:
        return "the device is gone (unplugged)";
    case ERROR_GEN_FAILURE:
    case ERROR_BROKEN_PIPE:
        return "the device does not respond: its other end is gone";
    default:
        return systemMessage(error);
    }
}

} // namespace

namespace {

// A named pipe (\\.\pipe\NAME); Windows has no sockets in its file system.
bool isPipeOrSocket(const std::string& path) {
    return startsWithNoCase(path, "\\\\.\\pipe\\") || startsWithNoCase(path, "//./pipe/");
}

bool readStream(const std::string& path, std::size_t limit, int idleMs, std::string& bytes,
                std::string& problem) {
    const bool standardInput = path == "-";
    HANDLE handle = ::GetStdHandle(STD_INPUT_HANDLE);
    if (!standardInput) {
        handle = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OVERLAPPED, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            problem = systemMessage(::GetLastError());
            return false;
        }
    }
    bytes.clear();
    std::string buffer(64 * 1024, '\0');
    bool ok = true;
    for (;;) {
        DWORD got = 0;
        DWORD error = ERROR_SUCCESS;
        if (!readSome(handle, !standardInput, &buffer[0], DWORD(buffer.size()),
                      standardInput ? -1 : idleMs, got, error)) {
            if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF)
                break;
            ok = false;
            problem = error == ERROR_OPERATION_ABORTED
                          ? "nothing arrived for " + std::to_string(idleMs / 1000) + " s"
                          : systemMessage(error);
            break;
        }
        if (got == 0 && standardInput)
            break;
        bytes.append(buffer.data(), got);
        if (bytes.size() > limit)
            break; // the caller judges the size
    }
    if (!standardInput)
        ::CloseHandle(handle);
    return ok;
}

} // namespace

// Files are opened by the document library as they are; pipes and standard input here.
InputRead readInput(const std::string& path, std::size_t limit, int idleMs, std::string& bytes,
                    std::string& problem) {
    if (path != "-" && !isPipeOrSocket(path))
        return InputRead::NotAFile;
    return readStream(path, limit, idleMs, bytes, problem) ? InputRead::Read : InputRead::Failed;
}

std::string deviceProblem(const std::string& path) {
    // Printer devices are opened for exclusive use, as the library opens them.
    HANDLE handle = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return openProblem(::GetLastError());
    ::CloseHandle(handle);
    return "cannot be used";
}

} // namespace cli
