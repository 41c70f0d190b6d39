#include "DeviceUri.h"

#include <cctype>
#include <cstdio>

namespace kalyxcups {

namespace {

constexpr const char* usbPrefix = "kalyx://usb/";
constexpr const char* tcpPrefix = "kalyx://tcp/";

bool startsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

bool percentDecode(const std::string& text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        const int high = hexValue(text[i + 1]), low = hexValue(text[i + 2]);
        if (high < 0 || low < 0)
            return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

bool parsePort(const std::string& text, std::uint16_t& port) {
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const unsigned long value = std::stoul(text);
    if (value == 0 || value > 65535)
        return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

} // namespace

bool parseDeviceUri(const std::string& text, DeviceUri& uri) {
    if (text.find_first_of("?# ") != std::string::npos)
        return false;
    if (startsWith(text, usbPrefix)) {
        const std::string rest = text.substr(std::char_traits<char>::length(usbPrefix));
        uri.kind = DeviceUri::Kind::Usb;
        return rest.find('/') == std::string::npos && percentDecode(rest, uri.serial) &&
               !uri.serial.empty();
    }
    if (startsWith(text, tcpPrefix)) {
        std::string rest = text.substr(std::char_traits<char>::length(tcpPrefix));
        if (!rest.empty() && rest.back() == '/')
            rest.pop_back();
        uri.kind = DeviceUri::Kind::Tcp;
        uri.port = 9100;
        const std::size_t colon = rest.rfind(':');
        if (colon != std::string::npos && !parsePort(rest.substr(colon + 1), uri.port))
            return false;
        uri.host = rest.substr(0, colon);
        return !uri.host.empty() && uri.host.find_first_of("/:@") == std::string::npos;
    }
    return false;
}

std::string usbDeviceUri(const std::string& serial) {
    std::string uri = usbPrefix;
    for (unsigned char c : serial) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            uri += static_cast<char>(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            uri += escaped;
        }
    }
    return uri;
}

} // namespace kalyxcups
