// Hostile printers against the library's reader of answers. The first byte picks the command the
// exchange starts with; the rest is everything the printer sends back, served by an in-memory
// transport. Commands follow one another on the same connection, each taking the next answer
// from the stream, until the stream runs dry or a call breaks the conversation, so answers split
// or run together across calls are reached as well as the framing, limits and checksum.
#include "ScriptedSession.h"

#include <kalyxcomms/Printer.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace Orvane;

namespace {

using Settings = std::map<std::string, std::string>;

// One call of the printer, each reading its answer in its own way.
using Call = bool (*)(Printer&);

bool readSettings(Printer& printer) {
    Settings settings{{"id-model-name", ""}, {"sim-fault", ""}};
    std::string err;
    return printer.readSettings(settings, err);
}

bool writeSettings(Printer& printer) {
    Settings settings{{"sim-mag-track2", "1100000001"}};
    std::string err;
    return printer.writeSettings(settings, err);
}

bool moveCard(Printer& printer) {
    CardPosition position = Unrecognised;
    std::string err;
    return printer.moveCard(ToStandby, position, err);
}

bool magRead(Printer& printer) {
    MagData data;
    std::string err;
    return printer.magRead({{"coercivity", "high"}}, data, err);
}

bool getReport(Printer& printer) {
    std::vector<unsigned char> report;
    std::string err;
    return printer.getReport(report, err);
}

bool glintmarkPreview(Printer& printer) {
    std::vector<unsigned char> image;
    std::string err;
    return printer.getGlintmarkPreview(3, image, err);
}

bool calibrate(Printer& printer) {
    Settings results;
    std::string err;
    return printer.calibrateDyeCtrl(results, err);
}

bool clearError(Printer& printer) {
    std::string err;
    return printer.clearError(RetryCurrentPrintJob, err);
}

constexpr Call kCalls[] = {readSettings, writeSettings,    moveCard,  magRead,
                           getReport,    glintmarkPreview, calibrate, clearError};
constexpr std::size_t kCallCount = sizeof kCalls / sizeof kCalls[0];

// Enough to run answers together, few enough that a short input ends quickly.
constexpr int kMaxCalls = 8;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::size_t first = data[0] % kCallCount;
    auto owned = std::make_unique<kalyxtest::ScriptedSession>(
        std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    kalyxtest::ScriptedSession* session = owned.get();
    Printer printer(std::move(owned));
    // The transport never waits, but a short limit keeps any wait the reader adds short too.
    printer.setReadTimeout(20);
    for (int call = 0; call < kMaxCalls; ++call) {
        const bool ok = kCalls[(first + call) % kCallCount](printer);
        if (!ok && printer.lastFailure() != FailureReason::PrinterRefused &&
            session->pos >= session->input.size())
            break;
    }
    return 0;
}
