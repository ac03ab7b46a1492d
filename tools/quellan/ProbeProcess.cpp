// The tool's probe process: itself started again through the helper process facility, with messages over the channel.
#include "ProbeProcess.h"

#include "platform/Channel.h"
#include "platform/DynamicLibrary.h"
#include "platform/HelperProcess.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>
#include <thread>

namespace quellan {

namespace {

// The word after the channel's that makes quellan a probe.
const char* const PROBE_WORD = "--internal-probe";
// A message larger than this is not one the probe sent.
constexpr std::uint32_t MOST_BYTES = 64u << 20;

bool writeNumber(mq::platform::Channel& channel, std::uint32_t number) {
    return channel.write(&number, sizeof number);
}

bool readNumber(mq::platform::Channel& channel, std::uint32_t& number) {
    return channel.read(&number, sizeof number);
}

bool sendMessage(mq::platform::Channel& channel, const ProbeMessage& message) {
    if (!writeNumber(channel, static_cast<std::uint32_t>(message.size()))) return false;
    for (const std::string& word : message)
        if (!writeNumber(channel, static_cast<std::uint32_t>(word.size())) ||
            !channel.write(word.data(), word.size()))
            return false;
    return true;
}

bool receiveMessage(mq::platform::Channel& channel, ProbeMessage& message) {
    std::uint32_t count = 0;
    if (!readNumber(channel, count) || count > MOST_BYTES) return false;
    std::uint64_t total = 0;
    message.clear();
    for (std::uint32_t k = 0; k < count; ++k) {
        std::uint32_t size = 0;
        if (!readNumber(channel, size) || (total += size) > MOST_BYTES) return false;
        std::string word(size, '\0');
        if (!channel.read(word.data(), size)) return false;
        message.push_back(std::move(word));
    }
    return true;
}

}  // namespace

bool ProbeReport::send(const ProbeMessage& message) {
    return sendMessage(channel, message);
}

ProbeRun runProbe(const ProbeMessage& request, std::optional<std::chrono::milliseconds> limit) {
    ProbeRun run;
    mq::platform::Channel channel;
    // Started from this thread, which outlives the probe: on POSIX systems
    // the probe ends with the thread that started it.
    mq::platform::HelperProcess probe =
        mq::platform::HelperProcess::start(mq::platform::executablePath(), channel, {PROBE_WORD});
    if (!probe.isStarted()) return run;
    run.started = true;
    // Read while the probe runs, so that a long report never fills the channel
    // and keeps the probe from ending.
    std::thread reader([&] {
        if (!sendMessage(channel, request)) return;
        ProbeMessage message;
        while (receiveMessage(channel, message)) run.messages.push_back(message);
    });
    if (limit) {
        if (!probe.waitForExit(*limit)) {
            run.timedOut = true;
            probe.kill();
        }
    }
    while (!probe.waitForExit(std::chrono::hours(1))) {
    }
    reader.join();
    run.ending = probe.ending();
    return run;
}

bool isProbe(int argc, char** argv) {
    return argc == 4 && std::strcmp(argv[3], PROBE_WORD) == 0;
}

void serveProbe(int argc, char** argv, const std::map<std::string, ProbeHandler>& handlers) {
    mq::platform::Channel channel = mq::platform::HelperProcess::attachToHost(argc, argv);
    ProbeMessage request;
    if (!channel.isOpen() || !receiveMessage(channel, request) || request.empty()) std::_Exit(EXIT_FAILURE);
    const auto handler = handlers.find(request.front());
    if (handler == handlers.end()) std::_Exit(EXIT_FAILURE);
    ProbeReport report(channel);
    try {
        handler->second(request, report);
    } catch (const std::exception& error) {
        std::cerr << "quellan: " << error.what() << '\n';
        std::_Exit(EXIT_FAILURE);
    }
    std::_Exit(EXIT_SUCCESS);
}

}  // namespace quellan
