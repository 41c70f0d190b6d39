#include "SimControls.h"

#include "Numbers.h"
#include "SimPrinter.h"

#include <vector>

namespace kalyxsim {

struct SimControls::Row {
    std::string id;
    std::string (*read)(const SimControls&, const SimPrinter&);
    // Null for a read-only row; else false when `value` is refused.
    bool (*write)(SimControls&, SimPrinter&, const std::string& value, std::string& problem);
};

namespace {

template <int track> std::string readTrack(const SimControls&, const SimPrinter& printer) {
    return printer.trackBits(track);
}

template <int track>
bool writeTrack(SimControls&, SimPrinter& printer, const std::string& value, std::string&) {
    return printer.loadTrack(track, value);
}

} // namespace

const std::vector<SimControls::Row>& SimControls::rows() {
    static const std::vector<Row> table = {
        {"sim-fault", [](const SimControls& c, const SimPrinter&) { return c.faults_.describe(); },
         [](SimControls& c, SimPrinter&, const std::string& value, std::string& problem) {
             // Writing adds a fault for the next answer; writing it empty clears them all.
             if (value.empty() || value == "none") {
                 c.faults_.clear();
                 return true;
             }
             std::string why;
             auto fault = parseFault(value, 1, why);
             if (!fault) {
                 problem = "Invalid fault: " + why;
                 return false;
             }
             c.faults_.add(std::move(*fault));
             return true;
         }},
        {"sim-hopper-cards",
         [](const SimControls&, const SimPrinter& p) { return std::to_string(p.hopper_); },
         [](SimControls&, SimPrinter& p, const std::string& value, std::string&) {
             const auto number = parseCount(value, SimPrinter::maxHopperCards);
             if (number)
                 p.hopper_ = static_cast<unsigned>(*number);
             return number.has_value();
         }},
        {"sim-report-size",
         [](const SimControls&, const SimPrinter& p) {
             return std::to_string(p.config_.reportSize);
         },
         [](SimControls&, SimPrinter& p, const std::string& value, std::string&) {
             const auto number = parseCount(value, FrameReader::maxPayloadSize);
             if (number)
                 p.config_.reportSize = *number;
             return number.has_value();
         }},
        {"sim-mag-track1", readTrack<1>, writeTrack<1>},
        {"sim-mag-track2", readTrack<2>, writeTrack<2>},
        {"sim-mag-track3", readTrack<3>, writeTrack<3>},
        {"sim-jobs-received",
         [](const SimControls& c, const SimPrinter&) { return std::to_string(c.jobsReceived); },
         nullptr},
        {"sim-jobs-stored",
         [](const SimControls& c, const SimPrinter&) { return std::to_string(c.jobsStored); },
         nullptr},
        {"sim-last-job", [](const SimControls& c, const SimPrinter&) { return c.lastJob; },
         nullptr},
        {"sim-wakeups",
         [](const SimControls& c, const SimPrinter&) { return std::to_string(c.wakeups_); },
         nullptr},
    };
    return table;
}

const SimControls::Row* SimControls::find(const std::string& id) {
    for (const Row& row : rows())
        if (row.id == id)
            return &row;
    return nullptr;
}

std::string SimControls::names(bool writable) {
    std::string text;
    for (const Row& row : rows())
        if ((row.write != nullptr) == writable)
            text += (text.empty() ? "" : ", ") + row.id;
    return text;
}

bool SimControls::read(const std::string& id, std::string& value) const {
    const Row* row = find(id);
    if (!row)
        return false;
    value = row->read(*this, printer_);
    return true;
}

bool SimControls::write(const std::string& id, const std::string& value, std::string& problem) {
    const Row* row = find(id);
    if (!row) {
        problem = "Unknown setting '" + id + "'";
        return false;
    }
    if (!row->write) {
        problem = "Setting '" + id + "' is read-only";
        return false;
    }
    if (!row->write(*this, printer_, value, problem)) {
        if (problem.empty())
            problem = "Invalid value '" + value + "' for '" + id + "'";
        return false;
    }
    return true;
}

} // namespace kalyxsim
