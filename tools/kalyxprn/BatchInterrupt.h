// Ctrl+C and the system's request to stop (SIGINT and SIGTERM; the console's Ctrl+C and close on
// Windows) while a batch prints: the first sets a flag the batch stops at, with the card in
// flight finished and recorded; a second ends the process at once (the journal is on the disk
// line by line, so nothing recorded is lost; a card in flight stays uncertain).
#pragma once

#include <atomic>

namespace cli {

void catchInterrupts(std::atomic<bool>& interrupted);

} // namespace cli
