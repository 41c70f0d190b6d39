// The backend run without arguments: one line per printer it can reach, for `lpinfo -v` and the
// desktops' "Add printer" dialogs.
#pragma once

namespace kalyxcups {

// Writes the lines on stdout; returns the exit status.
int listDevices();

} // namespace kalyxcups
