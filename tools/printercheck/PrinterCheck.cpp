#include "PrinterCheck.h"

#include <map>

namespace kalyxcheck {

PeerState askPrinter(Orvane::Printer& printer) {
    PeerState state;
    std::map<std::string, std::string> settings = {
        {"id-manufacturer", ""}, {"id-model-name", ""}, {"id-printer-serial", ""}};
    if (!printer.readSettings(settings, state.printerText)) {
        state.failure = printer.lastFailure();
        state.reception = printer.lastReception();
        // Bytes came, but not framed as a printer frames them: another service (a web server's
        // error page, a greeting) that no later try turns into a printer. A printer that went
        // quiet or dropped the connection before or while answering may well come back.
        if (state.failure == Orvane::FailureReason::MalformedFrame ||
            state.failure == Orvane::FailureReason::OversizedAnswer ||
            state.reception == Orvane::Reception::Foreign)
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

std::string notAPrinterReason(const PeerState& state) {
    if (state.reception == Orvane::Reception::Foreign)
        return "what it sent is no printer's answer";
    if (state.failure == Orvane::FailureReason::None)
        return "its answer holds no printer identity";
    return Orvane::failureName(state.failure);
}

} // namespace kalyxcheck
