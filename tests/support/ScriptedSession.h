// An in-memory transport: serves a scripted byte stream and records what is written, so the
// exchange can be driven through every rule without a peer. Header-only: it needs the printer
// library's public headers, and each test links the library in the form it tests.
#pragma once

#include "WireFrame.h"

#include <kalyxcomms/Printer.h>
#include <kalyxcomms/Session.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace kalyxtest {

class ScriptedSession : public Orvane::Session {
public:
    explicit ScriptedSession(std::string input = {}) : input(std::move(input)) { open = true; }
    ~ScriptedSession() override {
        if (destroyed)
            *destroyed = true;
    }

    bool read(char* buffer, int length) override {
        ++readCalls;
        if (!open || length < 0)
            return false;
        const auto wanted = static_cast<std::size_t>(length);
        if (input.size() - pos < wanted) {
            pos = input.size();
            return false;
        }
        if (wanted)
            std::memcpy(buffer, input.data() + pos, wanted);
        pos += wanted;
        return true;
    }

    bool write(const char* data, int length) override {
        ++writeCalls;
        if (!open || length < 0 || writeCalls == failWriteCall)
            return false;
        written.append(data, static_cast<std::size_t>(length));
        return true;
    }

    bool setReadTimeout(std::uint32_t ms) override {
        readTimeouts.push_back(ms);
        return !refuseTimeouts;
    }
    bool setWriteTimeout(std::uint32_t ms) override {
        writeTimeouts.push_back(ms);
        return !refuseTimeouts;
    }

    std::string input;
    std::size_t pos = 0;
    std::string written;
    int readCalls = 0;
    int writeCalls = 0;
    int failWriteCall = 0; // 1-based index of a write that fails; 0 = none
    bool refuseTimeouts = false;
    std::vector<std::uint32_t> readTimeouts;
    std::vector<std::uint32_t> writeTimeouts;
    bool* destroyed = nullptr;
};

// A printer on a scripted transport, with the transport kept at hand.
struct ScriptedPrinter {
    ScriptedSession* session;
    Orvane::Printer printer;

    explicit ScriptedPrinter(std::string input = {})
        : ScriptedPrinter(std::make_unique<ScriptedSession>(std::move(input))) {}
    explicit ScriptedPrinter(std::unique_ptr<ScriptedSession> owned)
        : session(owned.get()), printer(std::move(owned)) {}

    // Everything written so far, taken as one request.
    Frame request() const { return Frame(session->written); }
};

} // namespace kalyxtest
