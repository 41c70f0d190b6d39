#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace Orvane {

// The library's default time-outs, in milliseconds. A call waits this long for the printer's
// answer to an ordinary request ...
constexpr std::uint32_t AnswerTimeoutMs = 7000;
// ... to a card movement or a magnetic read, which wait for the mechanism ...
constexpr std::uint32_t CardMotionTimeoutMs = 40000;
// ... and to the dye calibration.
constexpr std::uint32_t CalibrationTimeoutMs = 9000;
// A printer that takes no byte of a request or job for this long is given up.
constexpr std::uint32_t TakeTimeoutMs = 30000;

// The numeric value is the TCP port; any 32-bit value is valid and its low 16 bits are used.
enum Port : std::uint32_t {
    DefaultPort = 9100,
};

enum MoveCardAction : std::int32_t {
    Initialise = 0,
    ToStandby = 1,
    ToContact = 2,
    ToContactless = 3,
    Flip = 4,
    Eject = 5,
};

enum CardPosition : std::int32_t {
    Unrecognised = 0,
    Source = 1,
    Standby = 2,
    EncoderModule = 3,
};

enum ClearErrorAction : std::int32_t {
    RetryCurrentPrintJob = 0,
    CancelCurrentPrintJob = 1,
};

// Sent unchanged as the printer's error code; values other than these are passed through too.
enum ErrorType : std::int32_t {
    NoError = 0,
    CardJam = 1,
    RibbonOut = 2,
    FeederEmpty = 3,
    CoverOpen = 4,
    MagneticEncodingFailed = 5,
};

enum PowerDownAction : std::int32_t {
    ShutDown = 0,
    Reboot = 1,
    FastRestart = 2,
};

enum Store : std::int32_t {
    Shipped = 0,
    Default = 1,
};

// Option name -> option text; written as child elements in ascending byte order of the names.
using OptionMap = std::map<std::string, std::string>;

// Magnetic tracks 1, 2 and 3 (index 0, 1, 2), each a sequence of bits in recording order.
struct MagData {
    std::array<std::vector<bool>, 3> tracks;
};

// Panel order within a side, for PanelOptions and ImageData::planes.
enum PanelIndex : std::uint32_t {
    PanelY = 0,
    PanelM = 1,
    PanelC = 2,
    PanelK = 3,
    PanelO = 4,
};

// The option maps of one side's panels y, m, c, k, o; a missing map leaves that panel out.
using PanelOptions = std::array<std::optional<OptionMap>, 5>;

struct PrintOptions {
    OptionMap cardOptions;
    // Side 0 (front) and side 1 (back); a missing side is left out of the job.
    std::array<std::optional<PanelOptions>, 2> sides;
    // Without it no magnetic data is written at all.
    std::optional<OptionMap> magOptions;
    // Tracks 1, 2 and 3 (index 0, 1, 2).
    std::array<std::optional<OptionMap>, 3> trackOptions;
};

struct ImageData {
    // planes[side][panel] for panels y, m, c, k: one byte per dot, column by column.
    std::array<std::array<std::vector<unsigned char>, 4>, 2> planes;
};

} // namespace Orvane
