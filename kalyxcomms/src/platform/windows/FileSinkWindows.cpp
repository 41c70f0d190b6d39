// A plain stream: writes to files here do not wait on a reader the way a FIFO does elsewhere.
#include "platform/FileSink.h"

#include <fstream>

namespace Orvane {
namespace platform {

struct FileSink::State {
    std::ofstream stream;
};

FileSink::FileSink(const std::string& path) : state(std::make_unique<State>()) {
    state->stream.open(path, std::ios::out | std::ios::binary | std::ios::trunc);
}

FileSink::~FileSink() = default;

bool FileSink::isOpen() const {
    return state->stream.is_open();
}

Transfer FileSink::write(const char* data, std::size_t size, std::uint32_t,
                         const CancelSignal* cancel) {
    Transfer result;
    if (!isOpen())
        return result;
    // A write here never waits on a reader: a cancel is only seen before it.
    if (cancel && cancel->raised()) {
        result.status = TransferStatus::Cancelled;
        return result;
    }
    // Flushed at once: a full disk must fail this write, not go unnoticed at destruction.
    state->stream.write(data, static_cast<std::streamsize>(size));
    state->stream.flush();
    if (!state->stream.good())
        return result; // how much of it was stored is not known
    result.count = size;
    result.status = TransferStatus::Done;
    return result;
}

bool FileSink::close() {
    if (!isOpen())
        return false;
    state->stream.close();
    return !state->stream.fail();
}

} // namespace platform
} // namespace Orvane
