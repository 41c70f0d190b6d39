// The files the simulator writes: the folder of stored jobs and each job in it. FileStorePosix.cpp
// and FileStoreWindows.cpp make them.
#pragma once

#include <string>
#include <vector>

namespace kalyxsim {

// Creates the folder `path` unless it exists; true when `path` is a folder.
bool makeFolder(const std::string& path);

// Writes `bytes` to `path` through a temporary name, so that a reader never sees half a job,
// replacing any file of that name. False with the system's reason in `problem`.
bool storeFile(const std::string& path, const std::vector<unsigned char>& bytes,
               std::string& problem);

} // namespace kalyxsim
