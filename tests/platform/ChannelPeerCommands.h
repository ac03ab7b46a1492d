// What the tests and channel-peer say to each other over a helper-process channel.
#pragma once

namespace mq::test::peer {

// One byte each, sent by the test.
constexpr char ECHO = 'e';       // followed by a 64-bit length and that many bytes, which come back the same way
constexpr char HELD_PIPE = 'p';  // followed by a 64-bit handle number; one byte back, 1 when the peer holds it
constexpr char EXIT = 'x';       // the peer exits with EXIT_CODE
constexpr char ABORT = 'a';      // the peer calls abort()
constexpr char HANG = 'h';       // the peer waits for ever

// Not 3: that is what abort() gives on Windows.
constexpr int EXIT_CODE = 7;
// The peer's own exit codes when something goes wrong.
constexpr int NO_CHANNEL = 10;
constexpr int UNKNOWN_COMMAND = 11;
constexpr int CHANNEL_FAILED = 12;

}  // namespace mq::test::peer
