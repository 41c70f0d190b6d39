#include <kalyxcomms/FailureReason.h>

namespace Orvane {

const char* failureName(FailureReason reason) {
    switch (reason) {
    case FailureReason::None:
        return "no failure";
    case FailureReason::NotConnected:
        return "not connected to a printer";
    case FailureReason::BadArgument:
        return "an argument the command cannot send";
    case FailureReason::WriteFailed:
        return "sending to the printer failed";
    case FailureReason::WriteTimedOut:
        return "the printer did not take the data in time";
    case FailureReason::ReadFailed:
        return "receiving from the printer failed";
    case FailureReason::ReadTimedOut:
        return "the printer did not answer in time";
    case FailureReason::ConnectionClosed:
        return "the printer closed the connection";
    case FailureReason::MalformedFrame:
        return "the answer is not a well-formed message";
    case FailureReason::BadChecksum:
        return "the answer's checksum is wrong";
    case FailureReason::OversizedAnswer:
        return "the answer is larger than allowed";
    case FailureReason::PrinterRefused:
        return "the printer refused the command";
    case FailureReason::OutOfMemory:
        return "not enough memory";
    case FailureReason::AnswerStalled:
        return "the answer stopped or came too slowly";
    case FailureReason::Cancelled:
        return "the exchange was cancelled";
    }
    return "an unknown failure";
}

} // namespace Orvane
