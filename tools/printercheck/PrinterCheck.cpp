#include "PrinterCheck.h"

#include <map>

namespace kalyxcheck {

PeerState askPrinter(Orvane::Printer& printer) {
    PeerState state;
    std::map<std::string, std::string> settings = {
        {"id-manufacturer", ""}, {"id-model-name", ""}, {"id-printer-serial", ""}};
    if (!printer.readSettings(settings, state.printerText)) {
        state.failure = printer.lastFailure();
        // Bytes came, but not framed as a printer frames them.
        if (state.failure == Orvane::FailureReason::MalformedFrame ||
            state.failure == Orvane::FailureReason::OversizedAnswer)
            state.verdict = PeerState::Verdict::NotAPrinter;
        return state;
    }
    state.identity = {settings["id-manufacturer"], settings["id-model-name"],
                      settings["id-printer-serial"]};
    if (!state.printerText.empty())
        state.verdict = PeerState::Verdict::Error;
    else if (state.identity.model.empty() || state.identity.serial.empty())
        // A well-framed answer without the identity: a peer that echoes what it is sent, say.
        state.verdict = PeerState::Verdict::NotAPrinter;
    else
        state.verdict = PeerState::Verdict::Ready;
    return state;
}

} // namespace kalyxcheck
