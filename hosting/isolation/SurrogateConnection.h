// The host's connection to one surrogate process: starting it, exchanging messages with it, ending it.
#pragma once

#include "hosting/isolation/SurrogateProtocol.h"
#include "platform/Channel.h"
#include "platform/HelperProcess.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace mq {

// One surrogate (quellan-surrogate beside this library) and its channel. Once
// it has gone (it died, answered nonsense, or was ended by lose()) every
// exchange fails at once.
class SurrogateConnection {
public:
    // `limits` frame the messages both ways; the frame size is clamped to
    // what the protocol allows. `program` is the surrogate's file name, which
    // is started from the library's folder.
    SurrogateConnection(surrogate::Limits limits, std::string program);
    // Closes the channel, lets the surrogate end by itself for a moment, then
    // ends it; it is reaped either way.
    ~SurrogateConnection();
    SurrogateConnection(const SurrogateConnection&) = delete;
    SurrogateConnection& operator=(const SurrogateConnection&) = delete;

    // Starts the surrogate; false when it could not be started, or when the
    // connection was lost before it began.
    bool start();

    // Sends a request and receives its reply. False, with the surrogate ended,
    // when either fails; at once when the surrogate has gone already. An
    // empty reply is a refusal of this request alone: it or its reply was
    // larger than one side could hold. Raises only before the request is sent.
    bool exchange(const surrogate::Encoder& request, std::string& reply);
    // Ends the surrogate for good.
    void lose() noexcept;
    // True once the surrogate has gone, also between exchanges (or when it
    // was never started). On the thread that starts surrogates.
    bool hasEnded() noexcept;
    // How the surrogate ended, in HelperProcess::ending()'s words; empty while
    // it runs or when not known.
    std::string ending() const;
    // After the surrogate has gone: reaps what is left of it and closes its
    // channel, so that start() starts a new one. On the thread that starts
    // surrogates, while no other thread exchanges.
    void renew();

    const surrogate::Limits& messageLimits() const noexcept { return limits; }
    // The surrogate's process number while it runs; 0 otherwise.
    std::int64_t surrogateId() const noexcept { return process.id(); }

    // Surrogates are started from the folder of the module that holds this
    // code unless a folder is named here, once, before any starts.
    static void startSurrogatesFrom(std::string folder);

private:
    surrogate::Limits limits;
    std::string program;
    // Orders the surrogate's start on the worker against a lose() from the
    // thread that gave a call up.
    std::mutex processGuard;
    platform::HelperProcess process;
    platform::Channel channel;
    // One request at a time: the worker's calls and the host thread's
    // identity read share the channel.
    std::mutex exchanging;
    std::atomic<bool> lost{false};
};

}  // namespace mq
