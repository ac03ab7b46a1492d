// POSIX: system text is UTF-8; what is not valid UTF-8 is replaced byte by byte.
#include "platform/TextEncoding.h"

namespace mq::platform {

namespace {

const char REPLACEMENT[] = "\xEF\xBF\xBD";  // U+FFFD

// The length of the valid UTF-8 sequence at text[i], or 0 when there is none
// (the bounds of the second byte follow the table of well-formed sequences
// in the Unicode standard, which rules out overlong forms and surrogates).
std::size_t validSequence(const std::string& text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    if (byte(i + 1) < low || byte(i + 1) > high) return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
    return length;
}

}  // namespace

std::string systemTextToUtf8(const std::string& text) {
    std::string utf8;
    utf8.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = validSequence(text, i);
        if (length == 0) {
            utf8 += REPLACEMENT;
            ++i;
        } else {
            utf8.append(text, i, length);
            i += length;
        }
    }
    return utf8;
}

}  // namespace mq::platform
