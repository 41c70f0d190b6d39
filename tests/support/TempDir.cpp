#include "TempDir.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#ifdef _WIN32
#include <windows.h>
#else
#include <stdlib.h>
#endif

namespace kalyxtest {

#ifdef _WIN32
// Under wine the simulator runs natively and writes its jobs here, so the folder must have the
// same name on both sides: /tmp, with a name made unique by the process id and a counter
// (there is no mkdtemp).
TempDir::TempDir() {
    static int counter = 0;
    const std::string path = "/tmp/kalyx-wine-test-" + std::to_string(::GetCurrentProcessId()) +
                             "-" + std::to_string(++counter);
    std::error_code error;
    if (std::filesystem::create_directory(path, error))
        folder = path;
}
#else
TempDir::TempDir() {
    std::error_code ignored;
    std::string pattern =
        (std::filesystem::temp_directory_path(ignored) / "kalyx-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()))
        folder = pattern;
}
#endif

TempDir::~TempDir() {
    std::error_code ignored;
    if (!folder.empty())
        std::filesystem::remove_all(folder, ignored);
}

std::vector<std::string> TempDir::files() const {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string fileContents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace kalyxtest
