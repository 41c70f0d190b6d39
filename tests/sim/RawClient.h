// A host written from the protocol alone, for looking at the simulator's bytes directly.
#pragma once

#include <pugixml.hpp>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace simtest {

using Bytes = std::vector<unsigned char>;

// A request: declaration, "prn" holding `body`, "binary-size", "time", NUL, payload, checksum.
Bytes frameRequest(const std::string& body, const Bytes& payload = {});

struct Answer {
    std::size_t stray = 0;
    std::string text;
    Bytes payload;
    std::uint32_t crcOnWire = 0; // as read, little-endian
    std::uint32_t crcComputed = 0;
    std::unique_ptr<pugi::xml_document> document = std::make_unique<pugi::xml_document>();
    bool parsed = false;

    pugi::xml_node prn() const { return document->child("prn"); }
    std::string error() const { return prn().child("error").text().as_string(); }
};

class RawClient {
public:
    RawClient() = default;
    // Adopts an open descriptor (a pty slave, say).
    explicit RawClient(int fd, bool socket) : fd_(fd), socket_(socket) {}
    ~RawClient();
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool connect(std::uint16_t port);
    bool send(const Bytes& bytes);
    // Reads one framed answer; false on time-out, hang-up or an announced size it cannot read.
    bool receive(Answer& answer, int timeoutMs = 3000);
    // Everything that arrives until the line is quiet for `quietMs`.
    Bytes drain(int quietMs);
    // Ends our sending side; the peer may still answer.
    void shutdownWrite();
    // True when the peer closes the connection within the time.
    bool closedByPeer(int timeoutMs);

private:
    bool readExact(unsigned char* data, std::size_t size, int timeoutMs);

    int fd_ = -1;
    bool socket_ = true;
};

} // namespace simtest
