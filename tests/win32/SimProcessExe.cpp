// The simulator for tests under wine as kalyxsim.exe itself: the same interface as on Linux
// (tests/support/SimProcess.h), each simulator started in a console of its own with no window
// and stopped the way a user stops it there, with Ctrl+C: this process attaches to that console
// for a moment and raises Ctrl+C in it, which reaches no other simulator.
#include "SimProcess.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>

namespace kalyxtest {

namespace {

using Clock = std::chrono::steady_clock;

std::string tempFile(const char* prefix) {
    char folder[MAX_PATH + 1] = {};
    char path[MAX_PATH + 1] = {};
    ::GetTempPathA(sizeof folder, folder);
    ::GetTempFileNameA(folder, prefix, 0, path);
    return path;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One argument as the C runtime of the started program splits it again.
std::string quoted(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos)
        return argument;
    std::string text = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        text.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        text += c;
    }
    text.append(backslashes * 2, '\\');
    return text + "\"";
}

HANDLE inheritableFile(const std::string& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return ::CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                         disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Starts the simulator with its output in `outPath` and its log in `logPath` (both may be one
// file), in a console of its own. Only these handles are inherited: a socket of this process
// held open by a simulator would keep a connection alive that a test closed.
HANDLE start(const std::vector<std::string>& arguments, const std::string& outPath,
             const std::string& logPath, DWORD& pid) {
    std::string command = quoted(simulatorPath());
    for (const std::string& argument : arguments)
        command += " " + quoted(argument);
    HANDLE in = inheritableFile("NUL", GENERIC_READ, OPEN_EXISTING);
    HANDLE out = inheritableFile(outPath, GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE log = logPath == outPath ? out : inheritableFile(logPath, GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE handles[] = {in, out, log};
    const DWORD count = log == out ? 2 : 3;

    SIZE_T size = 0;
    ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<char> attributes(size);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes.data());
    STARTUPINFOEXA startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = in;
    startup.StartupInfo.hStdOutput = out;
    startup.StartupInfo.hStdError = log;
    if (::InitializeProcThreadAttributeList(list, 1, 0, &size) &&
        ::UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles,
                                    count * sizeof(HANDLE), nullptr, nullptr))
        startup.lpAttributeList = list;
    PROCESS_INFORMATION process{};
    const BOOL started = ::CreateProcessA(
        nullptr, command.data(), nullptr, nullptr, TRUE,
        CREATE_NO_WINDOW | (startup.lpAttributeList ? EXTENDED_STARTUPINFO_PRESENT : 0), nullptr,
        nullptr, &startup.StartupInfo, &process);
    if (startup.lpAttributeList)
        ::DeleteProcThreadAttributeList(list);
    for (DWORD i = 0; i < count; ++i)
        ::CloseHandle(handles[i]);
    if (!started)
        return nullptr;
    ::CloseHandle(process.hThread);
    pid = process.dwProcessId;
    return process.hProcess;
}

// The exit code once the process ended within `limit`; otherwise it is ended and -1 returned.
int waitExit(HANDLE process, std::chrono::milliseconds limit) {
    if (::WaitForSingleObject(process, static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0) {
        ::TerminateProcess(process, 255);
        ::WaitForSingleObject(process, 5000);
        return -1;
    }
    DWORD code = 255;
    ::GetExitCodeProcess(process, &code);
    return static_cast<int>(code);
}

BOOL WINAPI ignoreConsoleEvent(DWORD) {
    return TRUE;
}

// Raises Ctrl+C in the console of process `pid` only. This process ignores it; it has no
// console of its own afterwards, which it does not need (its output goes to ctest's pipes).
bool pressCtrlC(DWORD pid) {
    static std::mutex consoleMutex;
    std::lock_guard<std::mutex> lock(consoleMutex);
    static const bool ignoring = ::SetConsoleCtrlHandler(ignoreConsoleEvent, TRUE) != 0;
    ::FreeConsole();
    if (!ignoring || !::AttachConsole(pid))
        return false;
    const bool raised = ::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0) != 0;
    ::FreeConsole();
    return raised;
}

} // namespace

// kalyxsim.exe is built into the folder of the test programs.
const char* simulatorPath() {
    static const std::string path = [] {
        char own[MAX_PATH + 1] = {};
        std::string folder(own, ::GetModuleFileNameA(nullptr, own, MAX_PATH));
        return folder.substr(0, folder.find_last_of("\\/") + 1) + "kalyxsim.exe";
    }();
    return path.c_str();
}

SimProcess::SimProcess(const std::vector<std::string>& options) {
    const std::string outPath = tempFile("kso");
    logPath_ = tempFile("ksl");
    std::vector<std::string> arguments{"--port", "0"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    DWORD pid = 0;
    HANDLE process = start(arguments, outPath, logPath_, pid);
    if (!process) {
        ::DeleteFileA(outPath.c_str());
        return;
    }
    pid_ = static_cast<pid_t>(pid);
    handle_ = process;
    const std::string banner = "listening on 127.0.0.1:";
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < deadline && ::WaitForSingleObject(process, 20) == WAIT_TIMEOUT) {
        const std::string out = readFile(outPath);
        const std::size_t at = out.find(banner);
        if (at != std::string::npos && out.find('\n', at) != std::string::npos) {
            port_ = static_cast<std::uint16_t>(std::atoi(out.c_str() + at + banner.size()));
            break;
        }
    }
    ::DeleteFileA(outPath.c_str());
}

SimProcess::~SimProcess() {
    stop();
    if (!logPath_.empty())
        ::DeleteFileA(logPath_.c_str());
}

int SimProcess::stop(int) {
    if (pid_ <= 0)
        return -1;
    auto* process = static_cast<HANDLE>(handle_);
    const bool raised = pressCtrlC(static_cast<DWORD>(pid_));
    // A simulator that missed the Ctrl+C is ended after the wait and reported as failed.
    const int code = waitExit(process, std::chrono::milliseconds(raised ? 5000 : 0));
    ::CloseHandle(process);
    handle_ = nullptr;
    pid_ = -1;
    return code;
}

std::string SimProcess::log() const {
    return readFile(logPath_);
}

int runSimulator(const std::vector<std::string>& options, std::string& output) {
    const std::string path = tempFile("ksr");
    DWORD pid = 0;
    HANDLE process = start(options, path, path, pid);
    const int code = process ? waitExit(process, std::chrono::seconds(10)) : -1;
    if (process)
        ::CloseHandle(process);
    output = readFile(path);
    ::DeleteFileA(path.c_str());
    return code;
}

} // namespace kalyxtest
