#pragma once

#include <kalyxcomms/Export.h>

#include <cstdint>

namespace Orvane {

// Why the last call of a Printer failed (Printer::lastFailure). The numeric values are stable.
enum class FailureReason : std::int32_t {
    // The call succeeded and the printer accepted it.
    None = 0,
    // The printer has no transport, or its transport is closed.
    NotConnected = 1,
    // An argument the command cannot send; nothing was sent.
    BadArgument = 2,
    // The transport could not send the request or the data.
    WriteFailed = 3,
    // The printer did not take the bytes within the write time-out.
    WriteTimedOut = 4,
    // The transport could not receive (a file printer never can).
    ReadFailed = 5,
    // No answer, or no more of it, within the command's read time-out.
    ReadTimedOut = 6,
    // The printer closed or reset the connection, or the device went away.
    ConnectionClosed = 7,
    // The answer is not a well-formed message, or says something the command cannot take.
    MalformedFrame = 8,
    // The answer's checksum does not match its bytes.
    BadChecksum = 9,
    // The answer's text or payload is larger than the receiver accepts.
    OversizedAnswer = 10,
    // The exchange completed and the printer's error text is not empty.
    PrinterRefused = 11,
    // Memory for the request or the answer could not be had.
    OutOfMemory = 12,
    // The answer began but stopped, or came too slowly to finish within the read time-out plus
    // the time its payload takes at 1 MB/s.
    AnswerStalled = 13,
    // Printer::abort() ended the call, or came before it; the transport is given up.
    Cancelled = 14,
};

// What had arrived from the other end when the last call ended (Printer::lastReception). With a
// failed call it tells a printer that went quiet or dropped the connection, which a later try
// may reach, from another service answering on the printer's address, which it never will. The
// numeric values are stable.
enum class Reception : std::int32_t {
    // No byte came (also after a call that reads nothing).
    Nothing = 0,
    // The bytes that came begin as a printer's answer begins.
    AnswerLike = 1,
    // Bytes came that no printer sends at the start of its answer: another protocol's greeting
    // or error page, say. After an exchange that broke off, they may also be the rest of that
    // exchange's answer.
    Foreign = 2,
};

// The reason in a few words, for example "the answer's checksum is wrong"; never null.
KALYXCOMMS_EXPORT const char* failureName(FailureReason reason);

} // namespace Orvane
