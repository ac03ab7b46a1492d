// Every element and attribute of a configuration file with its line and column, for checking the file by hand.
#pragma once

#include <string>
#include <vector>

namespace mq {

// Where something begins in a text: both from 1, the column in bytes.
struct TextPlace {
    unsigned long line = 1;
    unsigned long column = 1;
};

// The place of `where` in the text that begins at `begin`.
TextPlace placeIn(const char* begin, const char* where) noexcept;

// "line 3, column 5".
std::string describe(const TextPlace& place);

struct OutlineAttribute {
    std::string name;
    std::string value;
    TextPlace place;
};

struct OutlineElement {
    std::string name;
    TextPlace place;
    std::vector<OutlineAttribute> attributes;
    std::vector<OutlineElement> elements;
};

// The top-level elements of a text that the configuration reader has read
// (so well-formed and nested within its limit), parsed by the same parser
// with the same flags, in document order.
std::vector<OutlineElement> outlineOf(const std::string& text);

}  // namespace mq
