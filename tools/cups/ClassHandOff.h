// A job printed through a class whose chosen member is not there goes back to the class at once:
// the scheduler then gives it to another member. A plain retry would hold it for the retry
// interval (5 minutes by default) while the other members stand idle, and might retry it on the
// same dead member. The scheduler says that a job came through a class in the CLASS variable.
#pragma once

#include <string>

namespace kalyxcups {

// The exit status for a job whose printer is absent: "retry now" when it came through a class,
// a few times per job (so that a class whose members are all off does not spin), else "retry
// later".
int statusForAbsentPrinter(const std::string& jobId);

// Forgets the hand-offs of a job that ended.
void forgetHandOffs(const std::string& jobId);

} // namespace kalyxcups
