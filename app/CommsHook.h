// The window owns one communication-library entry object for its whole life. Builds without the
// library (it is optional while the program is brought up) get an empty stand-in, and printing
// then finds no printer.
#pragma once

#if defined(KALYX_HAVE_COMMS)
#include <kalyxcomms/Comms.h>
#if __has_include(<kalyxcomms/Printer.h>)
#include <kalyxcomms/Printer.h>
#endif
#else
namespace Orvane {
class Comms {};
} // namespace Orvane
#endif
