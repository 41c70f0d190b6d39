// The backend run for one job: read it, check it with the document library before a byte goes
// out, send it `copies` times, and turn every outcome into the scheduler's exit status.
#pragma once

#include <string>

namespace kalyxcups {

struct JobRequest {
    std::string jobId;
    std::string deviceUri;
    std::string file; // empty: the job comes on stdin
    unsigned copies = 1;
};

int printJob(const JobRequest& request);

// Set from the SIGTERM handler: the scheduler cancelled the job.
void requestCancel();

} // namespace kalyxcups
