// Any bytes as a job: loading, the queries the window makes, re-validation and writing back
// must give a result without crashing, hanging or reading outside the job.
#include <kalyxdocument/KlxPrnHolder.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    auto holder = KlxPrnHolder::fromBytes(bytes);
    for (int track = 1; track <= 3; ++track)
        for (unsigned bits : {5u, 7u, 8u}) {
            holder->trackText(track, bits);
            holder->trackLrcText(track, bits);
        }
    holder->hasSide(0);
    holder->hasPanel(1, 'k');
    // The first bytes doubled as an XPath from outside: never an exception or a crash.
    const std::string path(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 40));
    holder->nodeText(path);
    holder->selectNodes(path);
    holder->setNodeText("x", path, "1");
    if (holder->isValid()) {
        const std::string hidden[2] = {"k", "ymc"};
        holder->validateCard(hidden, true);
        const QByteArray again = holder->toByteArray();
        auto reloaded = KlxPrnHolder::fromBytes(again);
        if (!reloaded->isValid())
            __builtin_trap(); // writing back must keep a valid job valid
    }
    return 0;
}
