#pragma once

// Symbols of the library are hidden by default; exported classes and functions carry this mark.
#if defined(KALYXCOMMS_BUILDING)
#define KALYXCOMMS_EXPORT __attribute__((visibility("default")))
#else
#define KALYXCOMMS_EXPORT
#endif
