#include "FileStore.h"

#include "WindowsErrors.h"

#include <windows.h>

#include <algorithm>

namespace kalyxsim {

bool makeFolder(const std::string& path) {
    ::CreateDirectoryA(path.c_str(), nullptr);
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool storeNewFile(const std::string& path, const std::vector<unsigned char>& bytes, bool& taken,
                  std::string& problem) {
    taken = false;
    // Never a job's name, and unique to this process.
    const std::string temporary = path + "." + std::to_string(::GetCurrentProcessId()) + ".part";
    const HANDLE file = ::CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        problem = systemMessage(::GetLastError());
        return false;
    }
    std::size_t done = 0;
    bool ok = true;
    while (ok && done < bytes.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) {
            ok = false;
            problem = systemMessage(::GetLastError());
        } else if (written == 0) {
            ok = false;
            problem = systemMessage(ERROR_DISK_FULL);
        }
        done += written;
    }
    if (!::CloseHandle(file) && ok) {
        ok = false;
        problem = systemMessage(::GetLastError());
    }
    // Without MOVEFILE_REPLACE_EXISTING a file already there stays and the move fails.
    if (ok && !::MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = ::GetLastError();
        ok = false;
        taken = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
        problem = systemMessage(error);
    }
    if (!ok)
        ::DeleteFileA(temporary.c_str());
    return ok;
}

} // namespace kalyxsim
