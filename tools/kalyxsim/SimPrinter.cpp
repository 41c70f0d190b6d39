#include "SimPrinter.h"

#include "FileStore.h"
#include "Numbers.h"
#include "SimPrintJob.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>

namespace kalyxsim {

namespace {

bool parseBits(const std::string& text, std::vector<bool>& bits) {
    if (text.size() > SimPrinter::maxTrackBits || text.find_first_not_of("01") != std::string::npos)
        return false;
    bits.clear();
    for (char c : text)
        bits.push_back(c == '1');
    return true;
}

std::string bitsText(const std::vector<bool>& bits) {
    std::string text;
    for (bool bit : bits)
        text += bit ? '1' : '0';
    return text;
}

std::string inQuotes(const std::string& text) {
    return "'" + text + "'";
}

} // namespace

SimPrinter::SimPrinter(PrinterConfig config) : config_(std::move(config)) {
    using Kind = Setting::Kind;
    settings_["id-manufacturer"] = {"Orvane", Kind::ReadOnly, 0, 0, {}};
    settings_["id-model-name"] = {config_.model, Kind::ReadOnly, 0, 0, {}};
    settings_["id-printer-serial"] = {config_.serial, Kind::ReadOnly, 0, 0, {}};
    settings_["id-software-version"] = {"2.7.1", Kind::ReadOnly, 0, 0, {}};
    settings_["printer-name"] = {"Kalyx", Kind::Text, 0, 32, {}};
    settings_["standby-timeout-minutes"] = {"15", Kind::Integer, 0, 240, {}};
    settings_["power-adjust"] = {"0", Kind::Integer, -100, 100, {}};
    settings_["eject-side"] = {"front", Kind::Choice, 0, 0, {"front", "rear"}};
    settings_["mag-coercivity"] = {"high", Kind::Choice, 0, 0, {"high", "low"}};
    settings_["network-dhcp"] = {"true", Kind::Choice, 0, 0, {"true", "false"}};
    settings_["network-ip-address"] = {"192.168.1.50", Kind::Text, 0, 15, {}};
    for (const auto& [id, setting] : settings_)
        if (setting.kind != Kind::ReadOnly)
            shipped_[id] = setting.value;
    saved_ = shipped_;
    hopper_ = config_.hopperCards;
    // Numbering continues after jobs stored by an earlier run, which are never overwritten; a
    // number too large for the counter leaves none to go on with rather than starting over.
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(config_.jobsDir, ignored)) {
        const std::string name = entry.path().filename().string();
        const std::size_t digits = name.size() - std::min<std::size_t>(name.size(), 8);
        if (name.size() <= 8 || name.compare(0, 4, "job-") != 0 ||
            name.compare(name.size() - 4, 4, ".prn") != 0 ||
            name.find_first_not_of("0123456789", 4) != 4 + digits)
            continue;
        lastJobNumber_ = std::max(
            lastJobNumber_, parseCount(name.substr(4, digits), UINT64_MAX).value_or(UINT64_MAX));
    }
    for (int t = 0; t < 3; ++t)
        parseBits(config_.tracks[t], tracks_[t]);
}

const std::map<std::string, SimPrinter::Handler>& SimPrinter::handlers() {
    static const std::map<std::string, Handler> table = {
        {"card-move", &SimPrinter::cardMove},
        {"error-clear", &SimPrinter::errorClear},
        {"force-error", &SimPrinter::forceError},
        {"power-down", &SimPrinter::powerDown},
        {"save", &SimPrinter::save},
        {"load", &SimPrinter::load},
        {"mag-read", &SimPrinter::magRead},
        {"update-glintmark", &SimPrinter::updateGlintmark},
        {"get-glintmark-preview", &SimPrinter::glintmarkPreview},
        {"update-capability", &SimPrinter::updateCapability},
        {"update-software", &SimPrinter::updateSoftware},
        {"get-report", &SimPrinter::getReport},
        {"get", &SimPrinter::getSettings},
        {"set", &SimPrinter::setSettings},
        {"calibrate-dye-ctrl", &SimPrinter::calibrate},
    };
    return table;
}

std::string SimPrinter::commandName(const Request& request) {
    if (isPrintJob(request))
        return "print-job";
    return request.command().name();
}

Reply SimPrinter::handle(const Request& request) {
    Reply reply;
    reply.command = commandName(request);
    if (reply.command == "print-job") {
        printJob(request, reply);
        return reply;
    }
    reply.document = std::make_unique<pugi::xml_document>();
    pugi::xml_node root = reply.document->append_child("prn");
    if (!request.parsed || !request.root()) {
        reply.error = "Malformed request";
    } else if (!request.crcMatches()) {
        // A damaged request is never acted on.
        reply.error = "Checksum mismatch";
    } else if (reply.command.empty()) {
        reply.error = "Empty request";
    }
    if (reply.error.empty()) {
        pugi::xml_node response = root.append_child((reply.command + "-response").c_str());
        auto handler = handlers().find(reply.command);
        if (handler == handlers().end())
            reply.error = "Unknown command " + inQuotes(reply.command);
        else
            (this->*handler->second)(request, request.command(), response, reply);
    }
    if (!reply.error.empty())
        root.append_child("error").text().set(reply.error.c_str());
    return reply;
}

const char* SimPrinter::positionWord(Position position) {
    switch (position) {
    case Position::Source:
        return "source";
    case Position::Standby:
        return "standby";
    case Position::Contact:
    case Position::Contactless:
        return "encoder-module";
    }
    return "source";
}

std::string SimPrinter::errorText() const {
    static const char* const names[] = {"card jam", "ribbon out", "feeder empty", "cover open",
                                        "magnetic encoding failed"};
    std::string text = "Printer in error state " + std::to_string(errorCode_);
    if (errorCode_ >= 1 && errorCode_ <= 5)
        text += std::string(" (") + names[errorCode_ - 1] + ")";
    return text;
}

bool SimPrinter::inErrorState(Reply& reply) const {
    if (errorCode_ == 0)
        return false;
    reply.error = errorText();
    return true;
}

bool SimPrinter::pickCard(Reply& reply) {
    if (position_ != Position::Source)
        return true;
    if (hopper_ == 0) {
        reply.error = "Card hopper empty";
        return false;
    }
    --hopper_;
    position_ = Position::Standby;
    return true;
}

void SimPrinter::cardMove(const Request&, pugi::xml_node command, pugi::xml_node response,
                          Reply& reply) {
    const std::string action = command.child("action").text().as_string();
    reply.summary = action;
    if (!inErrorState(reply)) {
        if (action == "initialise") {
            position_ = Position::Source; // a card in the transport goes to the reject bin
        } else if (action == "to-standby") {
            if (pickCard(reply))
                position_ = Position::Standby;
        } else if (action == "to-contact") {
            if (pickCard(reply))
                position_ = Position::Contact;
        } else if (action == "to-contactless") {
            if (pickCard(reply))
                position_ = Position::Contactless;
        } else if (action == "flip") {
            if (position_ == Position::Source)
                reply.error = "No card to flip";
            else
                position_ = Position::Standby;
        } else if (action == "eject") {
            if (position_ == Position::Source)
                reply.error = "No card to eject";
            else
                position_ = Position::Source;
        } else {
            reply.error = "Unknown card-move action " + inQuotes(action);
        }
    }
    response.append_child("position").text().set(positionWord(position_));
    reply.summary += std::string(" -> ") + positionWord(position_);
}

void SimPrinter::errorClear(const Request&, pugi::xml_node command, pugi::xml_node, Reply& reply) {
    const std::string action = command.child("action").text().as_string();
    reply.summary = action;
    if (action != "retry-current-print-job" && action != "cancel-current-print-job") {
        reply.error = "Unknown error-clear action " + inQuotes(action);
        return;
    }
    errorCode_ = 0;
}

void SimPrinter::forceError(const Request&, pugi::xml_node command, pugi::xml_node, Reply& reply) {
    const std::string text = command.child("code").text().as_string();
    reply.summary = text;
    const auto code = parseInteger(text, INT32_MIN, INT32_MAX);
    if (!code) {
        reply.error = "Invalid error code " + inQuotes(text);
        return;
    }
    errorCode_ = static_cast<long>(*code);
}

void SimPrinter::powerDown(const Request&, pugi::xml_node command, pugi::xml_node, Reply& reply) {
    const std::string action = command.child("action").text().as_string();
    reply.summary = action;
    if (action != "shut-down" && action != "reboot" && action != "fast-restart") {
        reply.error = "Unknown power-down action " + inQuotes(action);
        return;
    }
    // The simulator keeps serving; what a restart forgets, it forgets.
    position_ = Position::Source;
    errorCode_ = 0;
}

void SimPrinter::save(const Request&, pugi::xml_node, pugi::xml_node, Reply&) {
    for (const auto& [id, setting] : settings_)
        if (setting.kind != Setting::Kind::ReadOnly)
            saved_[id] = setting.value;
}

void SimPrinter::load(const Request&, pugi::xml_node command, pugi::xml_node, Reply& reply) {
    const std::string store = command.child("store").text().as_string();
    reply.summary = store;
    const std::map<std::string, std::string>* values = nullptr;
    if (store == "shipped")
        values = &shipped_;
    else if (store == "default")
        values = &saved_;
    if (!values) {
        reply.error = "Unknown settings store " + inQuotes(store);
        return;
    }
    for (const auto& [id, value] : *values)
        settings_[id].value = value;
}

void SimPrinter::magRead(const Request&, pugi::xml_node command, pugi::xml_node response,
                         Reply& reply) {
    bool wanted[3] = {false, false, false};
    bool any = false;
    for (pugi::xml_node child : command.children()) {
        const std::string name = child.name();
        const std::string value = child.text().as_string();
        if (name == "track-options") {
            const int t = child.attribute("track").as_int();
            if (t < 1 || t > 3) {
                reply.error = "Invalid track " + std::to_string(t);
                return;
            }
            wanted[t - 1] = any = true;
        } else if (name == "coercivity") {
            if (value != "high" && value != "low") {
                reply.error = "Invalid coercivity " + inQuotes(value);
                return;
            }
        } else if (name != "direction" && name != "read-attempts") {
            reply.error = "Unknown mag-read option " + inQuotes(name);
            return;
        }
    }
    if (inErrorState(reply))
        return;
    if (position_ == Position::Source) {
        reply.error = "No card to read";
        return;
    }
    auto payload = std::make_shared<Bytes>();
    for (int t = 0; t < 3; ++t) {
        const std::vector<bool>& bits = tracks_[t];
        if ((any && !wanted[t]) || bits.empty())
            continue;
        pugi::xml_node track = response.append_child("track");
        track.append_attribute("track").set_value(t + 1);
        track.append_child("num-bits").text().set(static_cast<unsigned>(bits.size()));
        const std::size_t first = payload->size();
        payload->resize(first + (bits.size() + 7) / 8, 0);
        for (std::size_t i = 0; i < bits.size(); ++i)
            if (bits[i])
                (*payload)[first + i / 8] |= static_cast<unsigned char>(0x80u >> (i % 8));
        reply.summary +=
            "track " + std::to_string(t + 1) + ": " + std::to_string(bits.size()) + " bits ";
    }
    reply.payload = std::move(payload);
}

bool SimPrinter::slotOf(pugi::xml_node command, int& slot, Reply& reply) const {
    const std::string text = command.child("slot").text().as_string();
    const auto value = parseInteger(text, 1, glintmarkSlots);
    if (!value) {
        reply.error = "Invalid Glintmark slot " + inQuotes(text);
        return false;
    }
    slot = static_cast<int>(*value);
    return true;
}

void SimPrinter::updateGlintmark(const Request& request, pugi::xml_node command, pugi::xml_node,
                                 Reply& reply) {
    int slot = 0;
    if (!slotOf(command, slot, reply))
        return;
    if (request.payload.empty()) {
        reply.error = "Empty Glintmark image";
        return;
    }
    glintmarks_[slot - 1] = request.payload;
    reply.summary =
        "slot " + std::to_string(slot) + ", " + std::to_string(request.payload.size()) + " bytes";
}

void SimPrinter::glintmarkPreview(const Request&, pugi::xml_node command, pugi::xml_node,
                                  Reply& reply) {
    int slot = 0;
    if (!slotOf(command, slot, reply))
        return;
    if (glintmarks_[slot - 1].empty()) {
        reply.error = "Glintmark slot " + std::to_string(slot) + " is empty";
        return;
    }
    reply.payload = std::make_shared<Bytes>(glintmarks_[slot - 1]);
    reply.summary = "slot " + std::to_string(slot);
}

void SimPrinter::updateCapability(const Request& request, pugi::xml_node, pugi::xml_node,
                                  Reply& reply) {
    if (request.payload.empty()) {
        reply.error = "Empty capability file";
        return;
    }
    capabilityBytes_ = request.payload.size();
    reply.summary = std::to_string(capabilityBytes_) + " bytes";
}

void SimPrinter::updateSoftware(const Request& request, pugi::xml_node, pugi::xml_node,
                                Reply& reply) {
    if (request.payload.empty()) {
        reply.error = "Empty software image";
        return;
    }
    softwareBytes_ = request.payload.size();
    reply.summary = std::to_string(softwareBytes_) + " bytes";
}

std::string SimPrinter::report() const {
    std::ostringstream out;
    out << "Kalyx printer report\n"
        << "Manufacturer: Orvane\n"
        << "Model: " << config_.model << '\n'
        << "Serial: " << config_.serial << '\n'
        << "Card position: " << positionWord(position_) << '\n'
        << "Cards in hopper: " << hopper_ << '\n'
        << "Cards printed: " << cardsPrinted() << '\n'
        << "Error: " << (errorCode_ ? std::to_string(errorCode_) : "none") << '\n'
        << "Dye calibrations: " << calibrations_ << '\n'
        << "Capability file: " << capabilityBytes_ << " bytes\n"
        << "Software image: " << softwareBytes_ << " bytes\n";
    return out.str();
}

void SimPrinter::getReport(const Request&, pugi::xml_node, pugi::xml_node, Reply& reply) {
    if (config_.reportSize) {
        if (!bulkReport_ || bulkReport_->size() != config_.reportSize) {
            // A large report is built once and shared by every answer that sends it.
            auto bytes = std::make_shared<Bytes>(config_.reportSize);
            for (std::size_t i = 0; i < bytes->size(); ++i)
                (*bytes)[i] = static_cast<unsigned char>(i * 131 + (i >> 12));
            bulkReport_ = std::move(bytes);
        }
        reply.payload = bulkReport_;
    } else {
        const std::string text = report();
        reply.payload = std::make_shared<Bytes>(text.begin(), text.end());
    }
    reply.summary = std::to_string(reply.payload->size()) + " bytes";
}

std::string SimPrinter::trackBits(int track) const {
    return bitsText(tracks_[static_cast<std::size_t>(track - 1)]);
}

bool SimPrinter::loadTrack(int track, const std::string& bits) {
    return parseBits(bits, tracks_[static_cast<std::size_t>(track - 1)]);
}

bool SimPrinter::readSetting(const std::string& id, std::string& value) const {
    if (SimControls::owns(id))
        return controls_.read(id, value);
    if (id == "cards-printed")
        value = std::to_string(cardsPrinted());
    else if (id == "cards-in-hopper")
        value = std::to_string(hopper_);
    else if (auto it = settings_.find(id); it != settings_.end())
        value = it->second.value;
    else
        return false;
    return true;
}

bool SimPrinter::writeSetting(const std::string& id, const std::string& value,
                              std::string& problem) {
    if (SimControls::owns(id))
        return controls_.write(id, value, problem);
    const std::string invalid = "Invalid value " + inQuotes(value) + " for " + inQuotes(id);
    std::string current;
    if (!readSetting(id, current)) {
        problem = "Unknown setting " + inQuotes(id);
        return false;
    }
    auto it = settings_.find(id);
    if (it == settings_.end() || it->second.kind == Setting::Kind::ReadOnly) {
        problem = "Setting " + inQuotes(id) + " is read-only";
        return false;
    }
    Setting& setting = it->second;
    switch (setting.kind) {
    case Setting::Kind::Integer:
        if (!parseInteger(value, setting.minimum, setting.maximum)) {
            problem = invalid;
            return false;
        }
        break;
    case Setting::Kind::Choice: {
        bool found = false;
        for (const std::string& choice : setting.choices)
            found |= choice == value;
        if (!found) {
            problem = invalid;
            return false;
        }
        break;
    }
    case Setting::Kind::Text:
        if (value.size() > static_cast<std::size_t>(setting.maximum)) {
            problem = invalid;
            return false;
        }
        break;
    case Setting::Kind::ReadOnly:
        break;
    }
    setting.value = value;
    return true;
}

void SimPrinter::getSettings(const Request&, pugi::xml_node command, pugi::xml_node response,
                             Reply& reply) {
    for (pugi::xml_node param : command.children("param")) {
        const std::string id = param.attribute("id").as_string();
        std::string value;
        if (!readSetting(id, value)) {
            if (reply.error.empty())
                reply.error = "Unknown setting " + inQuotes(id);
            continue;
        }
        pugi::xml_node answer = response.append_child("param");
        answer.append_attribute("id").set_value(id.c_str());
        answer.text().set(value.c_str());
        reply.summary += id + " ";
    }
    // The values come with the printer's state: a host asking who it is hears of a jam too.
    if (reply.error.empty() && errorCode_ != 0)
        reply.error = errorText();
}

void SimPrinter::setSettings(const Request&, pugi::xml_node command, pugi::xml_node response,
                             Reply& reply) {
    for (pugi::xml_node param : command.children("param")) {
        const std::string id = param.attribute("id").as_string();
        std::string problem;
        if (!writeSetting(id, param.text().as_string(), problem) && reply.error.empty())
            reply.error = problem;
        std::string value;
        if (!readSetting(id, value))
            continue;
        // The answer carries what the printer holds now, accepted or not.
        pugi::xml_node answer = response.append_child("param");
        answer.append_attribute("id").set_value(id.c_str());
        answer.text().set(value.c_str());
        reply.summary += id + "=" + value + " ";
    }
}

void SimPrinter::calibrate(const Request&, pugi::xml_node, pugi::xml_node response, Reply& reply) {
    if (inErrorState(reply))
        return;
    ++calibrations_;
    static const char* const dyes[] = {"dye-y", "dye-m", "dye-c", "dye-k"};
    for (int i = 0; i < 4; ++i) {
        // Plausible gains that drift a little from one run to the next.
        char gain[16];
        std::snprintf(gain, sizeof gain, "%.3f", 1.0 + 0.004 * ((calibrations_ + i) % 5) - 0.008);
        pugi::xml_node result = response.append_child("result");
        result.append_attribute("id").set_value(dyes[i]);
        result.text().set(gain);
    }
    pugi::xml_node status = response.append_child("result");
    status.append_attribute("id").set_value("status");
    status.text().set("complete");
    response.append_child("duration-ms").text().set(850);
    reply.summary = "run " + std::to_string(calibrations_);
}

bool SimPrinter::mayReceiveJob(const void* host, Clock::time_point now) const {
    return config_.printTime.count() == 0 ||
           (msUntilPrinted(now) < 0 && (receiving_ == nullptr || receiving_ == host));
}

void SimPrinter::abandonJob(const void* host) {
    if (receiving_ == host)
        receiving_ = nullptr;
}

int SimPrinter::msUntilPrinted(Clock::time_point now) const {
    if (printing_ == 0)
        return -1;
    const auto done = printStart_ + config_.printTime * printing_;
    if (now >= done)
        return -1;
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(done - now).count());
}

unsigned SimPrinter::cardsPrinted() const {
    if (printing_ == 0)
        return cardsPrinted_;
    const auto out = (Clock::now() - printStart_) / config_.printTime;
    return cardsPrinted_ + static_cast<unsigned>(std::min<long long>(out, printing_));
}

void SimPrinter::printJob(const Request& request, Reply& reply) {
    ++controls_.jobsReceived;
    // Whoever sent it, the job is complete: the printer takes the next one once this one is out.
    receiving_ = nullptr;
    const JobCheck check = checkPrintJob(request);
    if (!check.valid) {
        controls_.lastJob = "refused: " + check.problem;
        reply.summary = controls_.lastJob;
        return;
    }
    if (errorCode_ != 0) {
        controls_.lastJob = "refused: printer in error state " + std::to_string(errorCode_);
        reply.summary = controls_.lastJob;
        return;
    }
    pugi::xml_node options = request.root().child("card").child("card-options");
    const unsigned copies = std::max(1u, options.child("num-copies").text().as_uint(1));
    // A card already in the transport is printed first; the others come from the hopper.
    const unsigned needed = copies - (position_ != Position::Source ? 1 : 0);
    if (needed > hopper_) {
        // As a printer that runs out of cards: it stops and says so until the error is cleared.
        errorCode_ = feederEmpty;
        controls_.lastJob = "refused: Card hopper empty";
        reply.summary = controls_.lastJob;
        return;
    }
    hopper_ -= needed;
    // Cards of the job before are all out by now: a job is taken only then (mayReceiveJob).
    cardsPrinted_ = cardsPrinted() + (config_.printTime.count() == 0 ? copies : 0);
    printing_ = config_.printTime.count() == 0 ? 0 : copies;
    printStart_ = Clock::now();
    const bool keep = std::strcmp(options.child("disable-eject").text().as_string(), "true") == 0;
    position_ = keep ? Position::Standby : Position::Source;
    std::string name, problem;
    bool stored = false, taken = true;
    // A number another simulator storing into the same folder took is passed over.
    for (int attempt = 0; attempt < 1000 && taken; ++attempt) {
        if (lastJobNumber_ == UINT64_MAX) {
            problem = "no job number left after " + std::to_string(lastJobNumber_);
            name = "a job";
            break;
        }
        char text[40];
        std::snprintf(text, sizeof text, "job-%04llu.prn",
                      static_cast<unsigned long long>(++lastJobNumber_));
        name = text;
        taken = false;
        stored = !config_.jobsDir.empty() &&
                 storeNewFile(config_.jobsDir + "/" + name, request.wireBytes(), taken, problem);
    }
    if (config_.jobsDir.empty() && problem.empty()) {
        controls_.lastJob = "printed " + name + " (not stored)";
    } else if (stored) {
        ++controls_.jobsStored;
        controls_.lastJob = "stored " + name;
    } else {
        controls_.lastJob = "printed " + name + " (could not store: " + problem + ")";
    }
    reply.summary = controls_.lastJob + ", " + std::to_string(copies) + " card(s), " +
                    std::to_string(check.sides) + " side(s), " + std::to_string(check.planes) +
                    " plane bytes, " + std::to_string(check.tracks) + " track bytes";
}

} // namespace kalyxsim
