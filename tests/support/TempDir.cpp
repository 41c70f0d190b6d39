#include "TempDir.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <stdlib.h>

namespace kalyxtest {

TempDir::TempDir() {
    std::error_code ignored;
    std::string pattern =
        (std::filesystem::temp_directory_path(ignored) / "kalyx-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()))
        folder = pattern;
}

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
