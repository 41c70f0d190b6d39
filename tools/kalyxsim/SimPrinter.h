// The simulated printer: the state a real one keeps between commands, and one handler per
// command of the protocol. Transport-free, so every byte stream (TCP peers, the pty) shares it.
#pragma once

#include "Misbehaviour.h"
#include "SimControls.h"
#include "SimFraming.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kalyxsim {

struct PrinterConfig {
    std::string serial = "KX2-000417";
    std::string model = "Kalyx K2";
    std::string jobsDir;               // where accepted jobs are stored; empty = not stored
    std::uint64_t reportSize = 0;      // 0 = the plain-text status report
    std::array<std::string, 3> tracks; // loaded magnetic tracks as '0'/'1' text
    unsigned hopperCards = 100;
    // How long one card takes to print; 0: at once, and jobs are taken as they come.
    std::chrono::milliseconds printTime{0};
};

struct Reply {
    std::string command;                          // the request's command element (or "print-job")
    std::unique_ptr<pugi::xml_document> document; // empty: nothing is sent back
    SharedBytes payload;
    std::string error;   // the printer's refusal; empty when accepted
    std::string summary; // one line for the log
};

class SimPrinter {
public:
    explicit SimPrinter(PrinterConfig config);

    // The command name faults and logs refer to.
    static std::string commandName(const Request& request);

    Reply handle(const Request& request);
    FaultList& faults() { return controls_.faults(); }
    // Counts a wake-up of the event loop (read as sim-wakeups: a loop that spins shows).
    void noteWakeup() { controls_.noteWakeup(); }

    // Magnetic track 1-3 as '0'/'1' text; loading refuses anything else.
    std::string trackBits(int track) const;
    bool loadTrack(int track, const std::string& bits);

    // With a print time the printer holds one job: a host that has begun sending a card job
    // (`host` names its stream) may go on only while no card is being printed and no other host
    // is sending one. `mayReceiveJob` asks; `receiveJob` takes the printer for that host until its
    // job is complete or `abandonJob` gives it back.
    using Clock = std::chrono::steady_clock;
    bool mayReceiveJob(const void* host, Clock::time_point now) const;
    void receiveJob(const void* host) { receiving_ = host; }
    void abandonJob(const void* host);
    // Milliseconds until the card being printed is out; -1 when none is being printed.
    int msUntilPrinted(Clock::time_point now) const;

    static constexpr int glintmarkSlots = 10;
    static constexpr std::size_t maxTrackBits = 10000;
    static constexpr unsigned maxHopperCards = 100000;

private:
    friend class SimControls;

    enum class Position { Source, Standby, Contact, Contactless };

    struct Setting {
        enum class Kind { Text, Integer, Choice, ReadOnly };
        std::string value;
        Kind kind = Kind::Text;
        long minimum = 0;
        long maximum = 0;
        std::vector<std::string> choices;
    };

    using Handler = void (SimPrinter::*)(const Request&, pugi::xml_node, pugi::xml_node, Reply&);
    static const std::map<std::string, Handler>& handlers();

    void cardMove(const Request&, pugi::xml_node command, pugi::xml_node response, Reply&);
    void errorClear(const Request&, pugi::xml_node command, pugi::xml_node response, Reply&);
    void forceError(const Request&, pugi::xml_node command, pugi::xml_node response, Reply&);
    void powerDown(const Request&, pugi::xml_node command, pugi::xml_node response, Reply&);
    void save(const Request&, pugi::xml_node command, pugi::xml_node response, Reply&);
    void load(const Request&, pugi::xml_node command, pugi::xml_node response, Reply&);
    void magRead(const Request&, pugi::xml_node command, pugi::xml_node response, Reply&);
    void updateGlintmark(const Request&, pugi::xml_node command, pugi::xml_node response, Reply&);
    void glintmarkPreview(const Request&, pugi::xml_node command, pugi::xml_node response, Reply&);
    void updateCapability(const Request&, pugi::xml_node command, pugi::xml_node response, Reply&);
    void updateSoftware(const Request&, pugi::xml_node command, pugi::xml_node response, Reply&);
    void getReport(const Request&, pugi::xml_node command, pugi::xml_node response, Reply&);
    void getSettings(const Request&, pugi::xml_node command, pugi::xml_node response, Reply&);
    void setSettings(const Request&, pugi::xml_node command, pugi::xml_node response, Reply&);
    void calibrate(const Request&, pugi::xml_node command, pugi::xml_node response, Reply&);

    void printJob(const Request& request, Reply& reply);

    bool pickCard(Reply& reply);
    bool slotOf(pugi::xml_node command, int& slot, Reply& reply) const;
    // The error text while in an error state ("Printer in error state 1 (card jam)").
    std::string errorText() const;
    bool inErrorState(Reply& reply) const;
    static constexpr long feederEmpty = 3;
    // Value of a setting, including the ones computed from the state; false when unknown.
    bool readSetting(const std::string& id, std::string& value) const;
    // Stores a value; on refusal returns false with the reason.
    bool writeSetting(const std::string& id, const std::string& value, std::string& problem);
    std::string report() const;
    static const char* positionWord(Position position);

    PrinterConfig config_;
    SimControls controls_{*this};
    std::map<std::string, Setting> settings_;
    std::map<std::string, std::string> shipped_;
    std::map<std::string, std::string> saved_;
    Position position_ = Position::Source;
    unsigned hopper_;
    long errorCode_ = 0;
    std::array<std::vector<bool>, 3> tracks_;
    std::array<Bytes, glintmarkSlots> glintmarks_;
    std::uint64_t capabilityBytes_ = 0;
    std::uint64_t softwareBytes_ = 0;
    unsigned calibrations_ = 0;
    // Cards finished, and the job being printed: `printing_` cards, one per print time from
    // `printStart_`. The count of cards out is worked out when asked (see cardsPrinted()).
    unsigned cardsPrinted() const;
    unsigned cardsPrinted_ = 0;
    unsigned printing_ = 0;
    Clock::time_point printStart_{};
    const void* receiving_ = nullptr;
    // The highest number among the stored jobs' names; never wraps.
    std::uint64_t lastJobNumber_ = 0;
    SharedBytes bulkReport_;
};

} // namespace kalyxsim
