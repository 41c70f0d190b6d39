#include "PrinterImpl.h"

#include <kalyxcomms/Printer.h>

#include <prnformat/TrackBits.h>

namespace Orvane {

namespace {

// A track holds at most this many bits; more is a malformed answer.
constexpr int kMaxTrackBits = 799;

} // namespace

bool Printer::magRead(const std::map<std::string, std::string>& options, MagData& data,
                      std::string& err) {
    return runCommand(
        impl.get(), err,
        [&](PrnMessage& message) {
            for (auto& track : data.tracks)
                track.clear();
            pugi::xml_node element = message.begin("mag-read");
            for (const auto& [key, value] : options)
                element.append_child(key.c_str()).text().set(value.c_str());
            for (int track = 1; track <= 3; ++track)
                element.append_child("track-options").append_attribute("track") = track;
            message.readTimeoutMs = CardMotionTimeoutMs;
        },
        [&](const PrnMessage& message) {
            const std::vector<unsigned char>& payload = message.payload;
            std::size_t cursor = 0;
            for (pugi::xml_node child : message.response("mag-read-response").children()) {
                if (child.type() != pugi::node_element)
                    continue;
                const int track = child.attribute("track").as_int(0);
                if (track < 1 || track > 3)
                    return false;
                const int bits = child.child("num-bits").text().as_int(0);
                if (bits < 0 || bits > kMaxTrackBits)
                    return false;
                const std::size_t bytes = trackByteCount(static_cast<std::size_t>(bits));
                if (payload.size() - cursor < bytes)
                    return false;
                data.tracks[track - 1] = unpackTrackBits(payload.data() + cursor, bits);
                cursor += bytes;
            }
            return true;
        });
}

} // namespace Orvane
