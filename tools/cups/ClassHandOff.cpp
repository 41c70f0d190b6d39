#include "ClassHandOff.h"

#include "CupsMessages.h"

#include <cups/backend.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace kalyxcups {

namespace {

// Hand-offs per job before it waits as usual; a pause before each keeps them from spinning.
constexpr int maxHandOffs = 8;
constexpr unsigned pauseSeconds = 1;

// The count is kept in the scheduler's temporary folder, one small file per job.
std::string countFile(const std::string& jobId) {
    if (jobId.empty() || jobId.find_first_not_of("0123456789") != std::string::npos)
        return {};
    const char* folder = std::getenv("TMPDIR");
    return std::string(folder && *folder ? folder : "/tmp") + "/kalyx-handoffs-" + jobId;
}

} // namespace

int statusForAbsentPrinter(const std::string& jobId) {
    const char* viaClass = std::getenv("CLASS");
    const std::string file = countFile(jobId);
    if (!viaClass || !*viaClass || file.empty())
        return CUPS_BACKEND_RETRY;
    int count = 0;
    std::ifstream(file) >> count;
    if (count >= maxHandOffs) {
        forgetHandOffs(jobId);
        infoLine("No printer of class " + std::string(viaClass) +
                 " took the job so far; it waits for the next retry");
        return CUPS_BACKEND_RETRY;
    }
    std::ofstream(file) << count + 1;
    infoLine("Handing the job back to class " + std::string(viaClass) + " for another printer");
    ::sleep(pauseSeconds);
    return CUPS_BACKEND_RETRY_CURRENT;
}

void forgetHandOffs(const std::string& jobId) {
    const std::string file = countFile(jobId);
    if (!file.empty())
        std::remove(file.c_str());
}

} // namespace kalyxcups
