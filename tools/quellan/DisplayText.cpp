// Escaping control characters and measuring the displayed width of UTF-8 text.
#include "DisplayText.h"

#include <cstdint>
#include <cstdio>

namespace quellan {

namespace {

// The code point at text[i] and its length; the text is valid UTF-8.
std::uint32_t decode(const std::string& text, std::size_t i, std::size_t& length) {
    const auto byte = [&](std::size_t k) { return static_cast<std::uint32_t>(static_cast<unsigned char>(text[k])); };
    const std::uint32_t lead = byte(i);
    length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (i + length > text.size()) {
        length = 1;
        return lead;
    }
    if (length == 1) return lead;
    std::uint32_t point = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) point = (point << 6) | (byte(i + k) & 0x3F);
    return point;
}

bool isControl(std::uint32_t point) {
    return point < 0x20 || (point >= 0x7F && point <= 0x9F);
}

bool isWide(std::uint32_t point) {
    return (point >= 0x1100 && point <= 0x115F) || (point >= 0x2E80 && point <= 0x303E) ||
           (point >= 0x3041 && point <= 0x33FF) || (point >= 0x3400 && point <= 0x4DBF) ||
           (point >= 0x4E00 && point <= 0x9FFF) || (point >= 0xA000 && point <= 0xA4CF) ||
           (point >= 0xAC00 && point <= 0xD7A3) || (point >= 0xF900 && point <= 0xFAFF) ||
           (point >= 0xFE30 && point <= 0xFE4F) || (point >= 0xFF00 && point <= 0xFF60) ||
           (point >= 0xFFE0 && point <= 0xFFE6) || (point >= 0x1F300 && point <= 0x1F64F) ||
           (point >= 0x1F900 && point <= 0x1F9FF) || (point >= 0x20000 && point <= 0x3FFFD);
}

bool isCombining(std::uint32_t point) {
    return (point >= 0x0300 && point <= 0x036F) || (point >= 0x1AB0 && point <= 0x1AFF) ||
           (point >= 0x1DC0 && point <= 0x1DFF) || (point >= 0x20D0 && point <= 0x20FF) ||
           (point >= 0xFE20 && point <= 0xFE2F) || point == 0x200B;
}

}  // namespace

std::string escapeControls(const std::string& utf8) {
    std::string escaped;
    escaped.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t length = 1;
        const std::uint32_t point = decode(utf8, i, length);
        if (isControl(point)) {
            char text[8];
            std::snprintf(text, sizeof text, "\\x%02x", static_cast<unsigned>(point));
            escaped += text;
        } else {
            escaped.append(utf8, i, length);
        }
        i += length;
    }
    return escaped;
}

std::size_t displayWidth(const std::string& utf8) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t length = 1;
        const std::uint32_t point = decode(utf8, i, length);
        if (!isCombining(point)) width += isWide(point) ? 2 : 1;
        i += length;
    }
    return width;
}

}  // namespace quellan
