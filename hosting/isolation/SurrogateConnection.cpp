// Starting a surrogate process, exchanging messages with it over its channel, and ending it.
#include "hosting/isolation/SurrogateConnection.h"

#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace mq {

namespace {

// A surrogate that has been asked to end gets this long to do so by itself.
constexpr std::chrono::milliseconds EXIT_GRACE{1000};

// Set by startSurrogatesFrom(); empty for the module's own folder.
std::string& surrogateFolder() {
    static std::string folder;
    return folder;
}

}  // namespace

SurrogateConnection::SurrogateConnection(surrogate::Limits limits, std::string program)
    : limits(limits), program(std::move(program)) {
    this->limits.frameBytes = std::clamp<std::uint32_t>(limits.frameBytes, 1, surrogate::MAX_FRAME_BYTES);
}

SurrogateConnection::~SurrogateConnection() {
    channel.close();
    if (!process.waitForExit(EXIT_GRACE)) process.kill();
    process.waitForExit(EXIT_GRACE);
}

void SurrogateConnection::startSurrogatesFrom(std::string folder) {
    surrogateFolder() = std::move(folder);
}

bool SurrogateConnection::start() {
    const std::string folder =
        surrogateFolder().empty() ? platform::parentFolder(platform::thisModulePath()) : surrogateFolder();
    if (folder.empty()) return false;
    {
        std::lock_guard<std::mutex> lock(processGuard);
        // Given up before it began.
        if (lost.load()) return false;
        process = platform::HelperProcess::start(folder + program, channel);
    }
    return process.isStarted();
}

void SurrogateConnection::lose() noexcept {
    lost.store(true);
    std::lock_guard<std::mutex> lock(processGuard);
    process.kill();
}

bool SurrogateConnection::exchange(const surrogate::Encoder& request, std::string& reply) {
    std::lock_guard<std::mutex> lock(exchanging);
    if (lost.load()) return false;
    if (surrogate::sendMessage(channel, request, limits.frameBytes)) {
        const surrogate::Received received = surrogate::receiveMessage(channel, reply, limits);
        if (received != surrogate::Received::BROKEN) return true;
    }
    lose();
    // Its waiter reaps it; the call returns once it has gone.
    process.waitForExit(EXIT_GRACE);
    return false;
}

bool SurrogateConnection::hasEnded() noexcept {
    return lost.load() || process.waitForExit(std::chrono::milliseconds(0));
}

std::string SurrogateConnection::ending() const {
    return process.ending();
}

void SurrogateConnection::renew() {
    // In the order exchange() takes them: no exchange is under way after this.
    std::lock_guard<std::mutex> exchange(exchanging);
    std::lock_guard<std::mutex> lock(processGuard);
    process.kill();
    process.waitForExit(EXIT_GRACE);
    process = platform::HelperProcess();
    channel.close();
    lost.store(false);
}

}  // namespace mq
