// The simulator's own settings, named sim-*: hosts under test read and write them with the
// ordinary get and set commands to steer the simulation (faults, hopper, magnetic tracks, report
// size) or to look into it (jobs received and stored, the event loop's wake-ups). They are no
// part of the printer model; each one is a row of one table.
#pragma once

#include "Misbehaviour.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kalyxsim {

class SimPrinter;

class SimControls {
public:
    explicit SimControls(SimPrinter& printer) : printer_(printer) {}

    static bool owns(const std::string& id) { return id.rfind("sim-", 0) == 0; }
    // The names of the writable or of the read-only ones, for the help text.
    static std::string names(bool writable);

    // False when `id` is no control setting.
    bool read(const std::string& id, std::string& value) const;
    // False with the printer's refusal in `problem` (unknown, read-only or an invalid value).
    bool write(const std::string& id, const std::string& value, std::string& problem);

    FaultList& faults() { return faults_; }
    const FaultList& faults() const { return faults_; }
    void noteWakeup() { ++wakeups_; }

    // What became of the card jobs received.
    unsigned jobsReceived = 0;
    unsigned jobsStored = 0;
    std::string lastJob = "none";

private:
    struct Row;
    static const std::vector<Row>& rows();
    static const Row* find(const std::string& id);

    SimPrinter& printer_;
    FaultList faults_;
    std::uint64_t wakeups_ = 0;
};

} // namespace kalyxsim
