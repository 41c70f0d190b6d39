#include "SimPrintJob.h"

#include <cstring>

namespace kalyxsim {

bool isPrintJob(const Request& request) {
    return request.parsed && request.root().child("card");
}

namespace {

constexpr unsigned defaultWidth = 1013;
constexpr unsigned defaultHeight = 642;

bool fail(JobCheck& check, std::string problem) {
    check.valid = false;
    check.problem = std::move(problem);
    return false;
}

bool checkTracks(pugi::xml_node mag, JobCheck& check) {
    bool seen[3] = {false, false, false};
    for (pugi::xml_node track : mag.children("track-options")) {
        pugi::xml_attribute attribute = track.attribute("track");
        if (!attribute)
            return fail(check, "Missing mandatory track attribute");
        const int t = attribute.as_int();
        if (t < 1 || t > 3)
            return fail(check, "Invalid 'track' attribute " + std::to_string(t));
        if (seen[t - 1])
            return fail(check, "Multiple instances of track-options " + std::to_string(t));
        seen[t - 1] = true;
        const std::uint64_t bits = track.child("num-bits").text().as_uint();
        if (bits == 0 || track.child("bpi").text().as_uint() == 0)
            return fail(check,
                        "Both num-bits and bpi must be specified for track " + std::to_string(t));
        check.tracks += (bits + 7) / 8;
    }
    return true;
}

bool checkSides(pugi::xml_node card, std::uint64_t planeSize, JobCheck& check) {
    bool seen[2] = {false, false};
    for (pugi::xml_node side : card.children("side-options")) {
        pugi::xml_attribute attribute = side.attribute("side");
        if (!attribute)
            return fail(check, "Missing mandatory side attribute");
        const int s = attribute.as_int();
        if (s != 0 && s != 1)
            return fail(check, "Invalid 'side' attribute " + std::to_string(s));
        if (seen[s])
            return fail(check, "Multiple instances of side-options " + std::to_string(s));
        seen[s] = true;
        ++check.sides;
        for (pugi::xml_node panel : side.children("panel-options")) {
            const std::string letter = panel.attribute("panel").as_string();
            if (letter.size() != 1 || !std::strchr("ymcko", letter[0]))
                return fail(check, "Invalid panel id '" + letter + "'");
            if (letter == "o")
                continue;
            const bool doubled = panel.child("x-density").text().as_uint() == 600;
            check.planes += doubled ? 2 * planeSize : planeSize;
        }
    }
    return true;
}

} // namespace

JobCheck checkPrintJob(const Request& request) {
    JobCheck check;
    if (!request.parsed) {
        fail(check, "Malformed job header");
        return check;
    }
    pugi::xml_node card = request.root().child("card");
    pugi::xml_node options = card.child("card-options");
    pugi::xml_node format = options.child("image-format");
    if (format && std::strcmp(format.text().as_string(), "orvane") != 0) {
        fail(check, "Unsupported image format");
        return check;
    }
    unsigned width = options.child("width").text().as_uint();
    unsigned height = options.child("height").text().as_uint();
    if (width == 0)
        width = defaultWidth;
    if (height == 0)
        height = defaultHeight;
    if (width < 506 || width > 2026) {
        fail(check, "Invalid image width " + std::to_string(width));
        return check;
    }
    if (height > defaultHeight) {
        fail(check, "Invalid image height " + std::to_string(height));
        return check;
    }
    if (!checkTracks(card.child("mag-options"), check) ||
        !checkSides(card, std::uint64_t(width) * height, check))
        return check;
    if (check.sides == 0 && check.tracks == 0) {
        fail(check, "Missing side-options");
        return check;
    }
    const std::uint64_t expected = request.text.size() + 1 + check.planes + check.tracks + 4;
    if (request.payload.size() != check.planes + check.tracks) {
        fail(check, "Incorrect length, expected " + std::to_string(expected));
        return check;
    }
    if (!request.crcMatches()) {
        fail(check, "Checksum mismatch");
        return check;
    }
    check.valid = true;
    return check;
}

} // namespace kalyxsim
