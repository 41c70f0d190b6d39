// Before a job goes to a printer, and again once it has been written: is the peer a printer at
// all, and is it ready? Printers do not answer card jobs, so the one way to know is to ask, with
// the settings request discovery uses for the printer's identity. A printer in an error state
// (a jam, no cards) says so in its answer. Shared by `kalyxprn send`/`compose` and the CUPS
// backend; each words the outcome for its own readers.
#pragma once

#include <kalyxcomms/FailureReason.h>
#include <kalyxcomms/Printer.h>

#include <string>

namespace kalyxcheck {

struct PrinterIdentity {
    std::string manufacturer;
    std::string model;
    std::string serial;
};

struct PeerState {
    enum class Verdict {
        Ready,       // a printer, without an error
        Error,       // a printer that reports an error: `printerText` says which
        NotAPrinter, // something answers, but not as a printer (another service, a wrong port)
        NoAnswer,    // nothing usable came back in time: `failure` says why
    };
    Verdict verdict = Verdict::NoAnswer;
    PrinterIdentity identity;
    std::string printerText;
    Orvane::FailureReason failure = Orvane::FailureReason::None;
    Orvane::Reception reception = Orvane::Reception::Nothing; // when the exchange failed
};

// One exchange asking for the identity, read as above.
PeerState askPrinter(Orvane::Printer& printer);

// Why a peer judged NotAPrinter is none, in a few words: "its answer holds no printer identity".
std::string notAPrinterReason(const PeerState& state);

} // namespace kalyxcheck
