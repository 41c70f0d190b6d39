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
    if (!mayTransfer(data, length))
        return false;
    if (length == 0)
        return true;
    // Flushed at once: a full disk must fail this write, not go unnoticed at destruction.
    stream.write(data, length);
    stream.flush();
    return stream.good() || fail(FailureReason::WriteFailed);
}

bool FileSession::setReadTimeout(std::uint32_t) {
    return true;
}

bool FileSession::setWriteTimeout(std::uint32_t) {
    return true;
}

} // namespace Orvane
