// Parsing a configuration file's text into its elements and attributes with the place of each.
#include "config/ConfigurationOutline.h"

#include <boost/property_tree/detail/rapidxml.hpp>

namespace mq {

namespace {

namespace rapidxml = boost::property_tree::detail::rapidxml;

// The parser keeps names and values in the text it parses, so a name's
// address is its place there.
OutlineElement outlineOf(const rapidxml::xml_node<char>& node, const char* begin) {
    OutlineElement element{std::string(node.name(), node.name_size()), placeIn(begin, node.name()), {}, {}};
    for (const rapidxml::xml_attribute<char>* a = node.first_attribute(); a; a = a->next_attribute())
        element.attributes.push_back({std::string(a->name(), a->name_size()), std::string(a->value(), a->value_size()),
                                      placeIn(begin, a->name())});
    for (const rapidxml::xml_node<char>* child = node.first_node(); child; child = child->next_sibling())
        if (child->type() == rapidxml::node_element) element.elements.push_back(outlineOf(*child, begin));
    return element;
}

}  // namespace

TextPlace placeIn(const char* begin, const char* where) noexcept {
    TextPlace place;
    const char* lineStart = begin;
    for (const char* p = begin; p < where; ++p) {
        if (*p == '\n') {
            ++place.line;
            lineStart = p + 1;
        }
    }
    place.column = static_cast<unsigned long>(where - lineStart + 1);
    return place;
}

std::string describe(const TextPlace& place) {
    return "line " + std::to_string(place.line) + ", column " + std::to_string(place.column);
}

std::vector<OutlineElement> outlineOf(const std::string& text) {
    std::vector<char> copy(text.begin(), text.end());
    copy.push_back('\0');
    rapidxml::xml_document<char> document;
    document.parse<0>(copy.data());
    std::vector<OutlineElement> elements;
    for (const rapidxml::xml_node<char>* node = document.first_node(); node; node = node->next_sibling())
        if (node->type() == rapidxml::node_element) elements.push_back(outlineOf(*node, copy.data()));
    return elements;
}

}  // namespace mq
