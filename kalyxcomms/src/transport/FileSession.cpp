#include "FileSession.h"

namespace Orvane {

FileSession::FileSession(const std::string& path)
    : stream(path, std::ios::out | std::ios::binary | std::ios::trunc) {
    open = stream.good();
}

bool FileSession::read(char*, int) {
    return fail(FailureReason::ReadFailed);
}

bool FileSession::write(const char* data, int length) {
    written = 0;
    if (!mayTransfer(data, length))
        return false;
    if (length == 0)
        return true;
    // Flushed at once: a full disk must fail this write, not go unnoticed at destruction.
    stream.write(data, length);
    stream.flush();
    if (!stream.good())
        return fail(FailureReason::WriteFailed); // how much of it was stored is not known
    written = static_cast<std::uint64_t>(length);
    return true;
}

bool FileSession::finish() {
    stream.close();
    open = false;
    return !stream.fail() || fail(FailureReason::WriteFailed);
}

bool FileSession::setReadTimeout(std::uint32_t) {
    return true;
}

bool FileSession::setWriteTimeout(std::uint32_t) {
    return true;
}

} // namespace Orvane
