#include "FileSession.h"

namespace Orvane {

FileSession::FileSession(const std::string& path) : sink(path) {
    open = sink.isOpen();
}

bool FileSession::read(char*, int) {
    return fail(FailureReason::ReadFailed);
}

bool FileSession::write(const char* data, int length) {
    written = 0;
    if (!mayTransfer(data, length))
        return false;
    const platform::Transfer transfer =
        sink.write(data, static_cast<std::size_t>(length), writeTimeoutMs, cancelSignal().get());
    written = transfer.count;
    return transfer.ok() || failWrite(transfer.status);
}

bool FileSession::finish() {
    open = false;
    return sink.close() || fail(FailureReason::WriteFailed);
}

bool FileSession::setReadTimeout(std::uint32_t) {
    return true;
}

bool FileSession::setWriteTimeout(std::uint32_t milliseconds) {
    writeTimeoutMs = milliseconds;
    return true;
}

} // namespace Orvane
