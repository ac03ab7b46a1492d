// One configured child library.
#pragma once

#include "hosting/QuellanProxy.h"
#include "hosting/UserPrompts.h"
#include "quellan2.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace mq {

// Inside the host a Quellan runs its child through a QuellanProxy. In the
// configuration process it only loads the library briefly, to learn its
// identity or to run the child's own configuration, and never starts a proxy.
class Quellan {
public:
    // Loads nothing. Messages of identity() and configure() go to `prompts`.
    explicit Quellan(std::string path, UserPrompts& prompts = silentPrompts());
    // A child of the host whose calls are given up after `timeout`, run where
    // `isolation` says; its calls and troubles (restarts too) are told to
    // `health`. With `restarts`, an isolated child whose surrogate ends is
    // started again (QuellanProxy).
    Quellan(std::string path, CallTimeout timeout, Isolation isolation = Isolation::NONE, HealthReport health = {},
            bool restarts = false);
    // A module made here, run as a child under `name` (the status node).
    Quellan(std::string name, std::unique_ptr<ChildModule> module);
    // A proxy with a timeout is retired, so that no close waits longer than that.
    ~Quellan();
    Quellan(const Quellan&) = delete;
    Quellan& operator=(const Quellan&) = delete;

    // True when the child runs, already or now; false when starting it failed
    // (the Quellan then stays idle with no nodes, and is not started again).
    // Starts the child unless start() has, waits for its start-up, then reads
    // its identity and node count.
    bool open();
    // Loads the child and starts its worker without waiting for its start-up,
    // so that several children start at once. False when it cannot be loaded.
    bool start();
    // Waits for the start-up that start() began, no longer than the timeout.
    // False when it failed or took too long: the child is then left out.
    bool awaitStart();
    // Asks the child's worker to stop after its queued calls, without waiting.
    void stop();

    // The child's identity text, read from the library when not known yet;
    // empty when it cannot be had.
    std::string identity();

    // Runs the child's own configuration. True only when every step succeeded.
    bool configure();

    // The text of a child string, which is given back to the child. Uses the
    // child's functions directly, on the calling thread.
    std::string stringFromChild(QUELLAN2_STRING string) const;
    // A node's or tag's name; the child's name string is consumed by this.
    std::string nameOf(QuellanProxy::Node& node) const;
    std::string nameOf(QuellanProxy::Tag& tag) const;
    // The text of a string element of a child vector; nothing when the child
    // does not deliver one.
    std::optional<std::string> vectorText(QUELLAN2_VECTOR vector, uint32_t index) const;

    const std::string& path() const { return libraryPath; }
    int64_t nodeCount() const { return topNodeCount; }
    const std::shared_ptr<QuellanProxy>& proxy() const { return runningProxy; }

private:
    bool readIdentity();
    // The same for a library that only `surrogateProgram` can load (a 32-bit
    // one in the 64-bit host): read there, through the surrogate's protocol.
    bool readServedIdentity(const std::string& surrogateProgram);
    // "The specified Quellan could not be loaded." and, below it, why.
    void couldNotBeLoaded(const std::string& why);

    std::shared_ptr<QuellanProxy> runningProxy;
    // Set between start() and awaitStart().
    std::shared_ptr<QuellanProxy> startingProxy;
    std::string libraryPath;
    CallTimeout timeout;
    Isolation isolation = Isolation::NONE;
    HealthReport health;
    bool restarts = false;
    // Set by the second constructor until start() hands it to the proxy.
    std::unique_ptr<ChildModule> ownModule;
    bool startFailed = false;
    // Set once open() has read the running child's identity and node count.
    bool adopted = false;
    std::string identityText;
    int64_t topNodeCount = 0;
    UserPrompts& prompts;
};

}  // namespace mq
