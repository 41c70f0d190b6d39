#pragma once

#include <pugixml.hpp>

#include <vector>

namespace Orvane {

// Collects pugixml's output in memory: the one writer the library, the document and the job
// builder serialise their headers with.
class XmlVectorWriter : public pugi::xml_writer {
public:
    void write(const void* data, size_t size) override {
        const auto* p = static_cast<const unsigned char*>(data);
        bytes.insert(bytes.end(), p, p + size);
    }

    std::vector<unsigned char> bytes;
};

} // namespace Orvane
