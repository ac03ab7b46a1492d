// A byte stream between this process and a helper process it started.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mq::platform {

// One end of a two-way stream: on POSIX systems one end of a socket pair, on
// Windows a pair of anonymous pipes. Reads and writes block; one thread may
// read while another writes. A stream whose other process has ended (however
// it ended) fails every read and write from then on instead of blocking, and
// a write never raises a signal.
class Channel {
public:
    Channel() = default;
    ~Channel();
    Channel(Channel&& other) noexcept;
    Channel& operator=(Channel&& other) noexcept;
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    // Writes every byte. False when the other end is gone or the system fails.
    bool write(const void* data, std::size_t size) noexcept;
    // Reads exactly `size` bytes, waiting as long as that takes. False when
    // the other end closed before they all came, or the system fails.
    bool read(void* data, std::size_t size) noexcept;

    bool isOpen() const noexcept { return readEnd != CLOSED; }
    // Closes this end; the other end's reads then fail once they have taken
    // what was written before. Not while another thread reads or writes.
    void close() noexcept;

private:
    friend class HelperProcess;
    static constexpr std::intptr_t CLOSED = -1;
    Channel(std::intptr_t readEnd, std::intptr_t writeEnd) noexcept : readEnd(readEnd), writeEnd(writeEnd) {}

    // Per platform: one piece of a transfer on `end`, retried when merely
    // interrupted. The bytes moved; 0 when the other end is gone (reads); -1
    // when the other end is gone (writes) or the system fails.
    static std::ptrdiff_t sendSome(std::intptr_t end, const char* data, std::size_t size) noexcept;
    static std::ptrdiff_t receiveSome(std::intptr_t end, char* data, std::size_t size) noexcept;
    // Per platform: closes one descriptor or handle, never retried.
    static void closeEnd(std::intptr_t end) noexcept;

    // A descriptor or handle each; on POSIX systems the same socket twice.
    std::intptr_t readEnd = CLOSED;
    std::intptr_t writeEnd = CLOSED;
};

}  // namespace mq::platform
