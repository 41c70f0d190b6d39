// Ctrl+C and the system's request to stop (SIGINT and SIGTERM; the console's Ctrl+C and close on
// Windows) while a batch prints: the first sets a flag the batch stops at, with the card in
// flight finished and recorded; a second ends the process at once (the journal is on the disk
// line by line, so nothing recorded is lost; a card in flight stays uncertain).
#pragma once

#include <atomic>

namespace cli {

void catchInterrupts(std::atomic<bool>& interrupted);

// A stop that works alike on every system, for a program that runs the batch: a line "stop" on
// standard input, or its end (the program closed the pipe or went away), sets `interrupted` as
// the first Ctrl+C does. Other lines are ignored. Reads on a thread of its own that lives as long
// as the process.
void stopOnInput(std::atomic<bool>& interrupted);

} // namespace cli
