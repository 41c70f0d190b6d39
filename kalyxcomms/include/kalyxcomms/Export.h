#pragma once

// Symbols of the library are hidden by default; exported classes and functions carry this mark.
// On Windows the DLL exports them and its users import them.
#if defined(_WIN32)
#if defined(KALYXCOMMS_BUILDING)
#define KALYXCOMMS_EXPORT __declspec(dllexport)
#else
#define KALYXCOMMS_EXPORT __declspec(dllimport)
#endif
#elif defined(KALYXCOMMS_BUILDING)
#define KALYXCOMMS_EXPORT __attribute__((visibility("default")))
#else
#define KALYXCOMMS_EXPORT
#endif
