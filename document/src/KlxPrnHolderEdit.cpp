// Writing one option value into the header document.
#include <kalyxdocument/KlxPrnHolder.h>

#include <exception>

namespace {

// pugixml appends any name it is given; refuse what would make the saved header unreadable.
bool isXmlName(const std::string& name) {
    if (name.empty())
        return false;
    auto nameStart = [](unsigned char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' ||
               c >= 0x80;
    };
    if (!nameStart(static_cast<unsigned char>(name[0])))
        return false;
    for (unsigned char c : name)
        if (!nameStart(c) && !(c >= '0' && c <= '9') && c != '-' && c != '.')
            return false;
    return true;
}

} // namespace

bool KlxPrnHolder::setNodeText(const std::string& name, const std::string& parentPath,
                               const std::string& value) {
    try {
        const pugi::xpath_node target = doc_.select_node((parentPath + "/" + name).c_str());
        if (target.attribute())
            return false;
        if (target.node().type() == pugi::node_element)
            return target.node().text().set(value.c_str());
        if (!isXmlName(name))
            return false;
        const pugi::xpath_node parent = doc_.select_node(parentPath.c_str());
        if (parent.node().type() != pugi::node_element)
            return false;
        pugi::xml_node child = parent.node().append_child(name.c_str());
        return child && child.text().set(value.c_str());
    } catch (const std::exception&) {
        return false;
    }
}
