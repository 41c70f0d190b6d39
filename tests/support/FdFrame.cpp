// Reading one whole frame from a descriptor, on top of the system's byte moving (FdIo*.cpp).
#include "FdIo.h"

namespace kalyxtest {

bool readFrame(int fd, Frame& frame, int timeoutMs) {
    frame = Frame();
    FrameReader reader;
    std::string chunk;
    while (!reader.next(frame)) {
        if (reader.oversized())
            return false;
        chunk.resize(reader.needed());
        if (!readExact(fd, &chunk[0], chunk.size(), timeoutMs))
            return false;
        reader.feed(chunk);
    }
    return true;
}

} // namespace kalyxtest
