// The tests' side of channel-peer: starting it and talking to it.
#pragma once

#include "ChannelPeerCommands.h"
#include "platform/HelperProcess.h"
#include "support/ChildProcesses.h"
#include "support/TestEnvironment.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace mq::test::peer {

// Long enough for any machine; the tests never wait it out when they pass.
constexpr std::chrono::seconds PATIENCE(60);

inline std::string peerPath() {
    return binaryFolder() + "/" + CHANNEL_PEER;
}

inline bool send(platform::Channel& channel, char what) {
    return channel.write(&what, 1);
}

// Sends `bytes` to the peer's echo and reads what comes back.
inline bool echo(platform::Channel& channel, const std::vector<char>& bytes, std::vector<char>& back) {
    std::uint64_t size = bytes.size();
    std::uint64_t backSize = 0;
    if (!send(channel, ECHO) || !channel.write(&size, sizeof size) || !channel.write(bytes.data(), bytes.size()) ||
        !channel.read(&backSize, sizeof backSize) || backSize != size)
        return false;
    back.resize(backSize);
    return channel.read(back.data(), back.size());
}

// A started peer and the host's end of its channel.
struct Peer {
    Peer() : helper(platform::HelperProcess::start(peerPath(), channel)) {}
    platform::Channel channel;
    platform::HelperProcess helper;
};

// Polls until the process has gone, or PATIENCE has passed.
inline bool endsWithinPatience(std::int64_t id) {
    const auto deadline = std::chrono::steady_clock::now() + PATIENCE;
    while (processExists(id)) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace mq::test::peer
