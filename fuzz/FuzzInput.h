// Reading a fuzzer's bytes as a stream of small decisions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace mq::fuzz {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}

    bool empty() const { return next >= size; }
    // Zero once the input is used up, so that every input ends.
    std::uint8_t byte() { return next < size ? data[next++] : 0; }
    std::uint32_t below(std::uint32_t limit) { return limit ? byte() % limit : 0; }
    bool flag() { return byte() & 1; }
    std::uint32_t word() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value = value << 8 | byte();
        return value;
    }
    // Up to `limit` bytes, zero bytes included.
    std::string bytes(std::size_t limit) {
        std::size_t length = below(static_cast<std::uint32_t>(limit + 1));
        std::string text;
        for (std::size_t i = 0; i < length && !empty(); ++i) text += static_cast<char>(byte());
        return text;
    }
    std::string rest() {
        std::string text(reinterpret_cast<const char*>(data) + next, size - next);
        next = size;
        return text;
    }

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t next = 0;
};

// Ends the run as a crash, which the fuzzer reports with the input.
[[noreturn]] void fail(const char* what);

}  // namespace mq::fuzz
