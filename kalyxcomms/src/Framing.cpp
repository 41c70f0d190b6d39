#include "Framing.h"

#include <ctime>

namespace Orvane {

std::int32_t protocolTime() {
    return static_cast<std::int32_t>(std::time(nullptr));
}

void prepareRequestHeader(pugi::xml_document& document, std::uint64_t payloadSize) {
    if (document.first_child().type() != pugi::node_declaration) {
        pugi::xml_node declaration = document.prepend_child(pugi::node_declaration);
        declaration.append_attribute("version") = "1.0";
        declaration.append_attribute("encoding") = "UTF-8";
    }

    pugi::xml_node prn = document.child("prn");
    if (prn) {
        pugi::xml_node size = prn.child("binary-size");
        if (!size)
            size = prn.append_child("binary-size");
        size.text().set(static_cast<unsigned long long>(payloadSize));

        pugi::xml_node time = prn.child("time");
        if (!time)
            time = prn.append_child("time");
        time.text().set(protocolTime());
    }
}

} // namespace Orvane
