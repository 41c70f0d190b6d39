// Settings exchanges: identifiers go out as "param" elements and come back by "id".
#include "PrinterImpl.h"

#include <kalyxcomms/Printer.h>

namespace Orvane {

namespace {

using Settings = std::map<std::string, std::string>;

// readSettings and writeSettings differ only in the element names and whether values are sent.
bool settingsExchange(PrinterImpl* impl, const char* command, const char* answer, bool sendValues,
                      Settings& settings, std::string& err) {
    return runCommand(
        impl, err,
        [&](PrnMessage& message) {
            pugi::xml_node element = message.begin(command);
            for (auto& [key, value] : settings) {
                pugi::xml_node param = element.append_child("param");
                param.append_attribute("id") = key.c_str();
                if (sendValues)
                    param.text().set(value.c_str());
                value.clear();
            }
        },
        [&](const PrnMessage& message) {
            for (pugi::xml_node child : message.response(answer).children()) {
                if (child.type() != pugi::node_element)
                    continue;
                auto it = settings.find(child.attribute("id").value());
                if (it != settings.end())
                    it->second = child.text().get();
            }
            return true;
        });
}

} // namespace

bool Printer::readSettings(Settings& settings, std::string& err) {
    return settingsExchange(impl.get(), "get", "get-response", false, settings, err);
}

bool Printer::writeSettings(Settings& settings, std::string& err) {
    return settingsExchange(impl.get(), "set", "set-response", true, settings, err);
}

bool Printer::calibrateDyeCtrl(Settings& results, std::string& err) {
    return runCommand(
        impl.get(), err,
        [](PrnMessage& message) {
            message.begin("calibrate-dye-ctrl");
            message.readTimeoutMs = CalibrationTimeoutMs;
        },
        [&](const PrnMessage& message) {
            for (pugi::xml_node child :
                 message.response("calibrate-dye-ctrl-response").children()) {
                if (pugi::xml_attribute id = child.attribute("id"))
                    results[id.value()] = child.text().get();
            }
            return true;
        });
}

} // namespace Orvane
