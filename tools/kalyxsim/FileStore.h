// The files the simulator writes: the folder of stored jobs and each job in it. FileStorePosix.cpp
// and FileStoreWindows.cpp make them.
#pragma once

#include <string>
#include <vector>

namespace kalyxsim {

// Creates the folder `path` unless it exists; true when `path` is a folder.
bool makeFolder(const std::string& path);

// Writes `bytes` to `path` through a temporary name, so that a reader never sees half a job.
// A file already named `path` (another simulator storing into the same folder) is never
// replaced: then false with `taken` set. Other failures give the system's reason in `problem`.
bool storeNewFile(const std::string& path, const std::vector<unsigned char>& bytes, bool& taken,
                  std::string& problem);

} // namespace kalyxsim
