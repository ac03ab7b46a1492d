// Reading a misbehaviour script's bytes as per-call decisions.
#include "samples/simquellan/Script.h"

namespace simquellan {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Small codes are the interface's own; the rest reach far beyond them.
std::uint32_t anyCode(std::uint8_t byte) {
    return byte < 8 ? byte : 0x01010101u * byte;
}

}  // namespace

bool Script::set(const std::string& hex) {
    if (hex.size() % 2) return false;
    std::vector<std::uint8_t> decoded;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        int high = hexDigit(hex[i]);
        int low = hexDigit(hex[i + 1]);
        if (high < 0 || low < 0) return false;
        decoded.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    bytes = std::move(decoded);
    next = 0;
    return true;
}

std::uint8_t Script::take() {
    return next < bytes.size() ? bytes[next++] : 0;
}

void Script::intercept(const std::string& function, Intercept& result) {
    if (next >= bytes.size() || function == "vectorFree" || function == "stringFree") return;
    // Half of the codes leave the call alone, so that a script also reaches
    // the calls that only follow a proper answer.
    switch (take() % 16) {
    case 6: result.fail = anyCode(take()); break;
    case 7: result.fault = Fault::ACCESS_VIOLATION; break;
    case 8: result.fault = Fault::DIVIDE_BY_ZERO; break;
    case 9: result.fault = Fault::THROW; break;
    case 10: result.unwritten = true; break;
    case 11: result.vector.none = true; break;
    case 12: result.vector.shorter = take() % 8; break;
    case 13: result.vector.longer = take() % 8 + 1; break;
    case 14:
        result.vector.reportedTypeAt = take() % 8;
        result.vector.reportedType = anyCode(take());
        break;
    case 15: result.vector.failingGetAt = take() % 8; break;
    default: break;
    }
}

}  // namespace simquellan
