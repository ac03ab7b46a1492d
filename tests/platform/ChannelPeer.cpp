// channel-peer: the far end of a helper-process channel in the tests; it obeys one-byte commands from its host.
#include "platform/HelperProcess.h"

#include "ChannelPeerCommands.h"
#include "InheritableHandle.h"

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <thread>
#include <vector>

using mq::platform::Channel;
using mq::platform::HelperProcess;
namespace command = mq::test::peer;

namespace {

// Reads a length and that many bytes, and sends both back.
bool echo(Channel& channel) {
    std::uint64_t size = 0;
    if (!channel.read(&size, sizeof size)) return false;
    std::vector<char> bytes(size);
    return channel.read(bytes.data(), bytes.size()) && channel.write(&size, sizeof size) &&
           channel.write(bytes.data(), bytes.size());
}

bool reportHeldPipe(Channel& channel) {
    std::int64_t value = 0;
    if (!channel.read(&value, sizeof value)) return false;
    const char held = mq::test::holdsPipe(value) ? 1 : 0;
    return channel.write(&held, 1);
}

}  // namespace

int main(int argc, char** argv) {
    Channel channel = HelperProcess::attachToHost(argc, argv);
    if (!channel.isOpen()) return command::NO_CHANNEL;
    char next = 0;
    while (channel.read(&next, 1)) {
        bool answered = true;
        switch (next) {
            case command::ECHO: answered = echo(channel); break;
            case command::HELD_PIPE: answered = reportHeldPipe(channel); break;
            case command::EXIT: std::exit(command::EXIT_CODE);
            case command::ABORT: std::abort();
            case command::HANG:
                for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
            default: return command::UNKNOWN_COMMAND;
        }
        if (!answered) return command::CHANNEL_FAILED;
    }
    return 0;
}
