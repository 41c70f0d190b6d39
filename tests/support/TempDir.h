// A fresh folder for one test, removed with its contents at the end.
#pragma once

#include <string>
#include <vector>

namespace kalyxtest {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return folder; }
    // The path of `name` inside the folder.
    std::string file(const std::string& name) const { return folder + "/" + name; }
    // The names of the entries, sorted.
    std::vector<std::string> files() const;

private:
    std::string folder;
};

// The whole contents of a file; empty when it cannot be read.
std::string fileContents(const std::string& path);

} // namespace kalyxtest
