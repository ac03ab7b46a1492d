// One configured child library.
#pragma once

#include "hosting/QuellanProxy.h"
#include "hosting/UserPrompts.h"
#include "quellan2.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace mq {

// Inside the host a Quellan runs its child through a QuellanProxy. In the
// configuration process it only loads the library briefly, to learn its
// identity or to run the child's own configuration, and never starts a proxy.
class Quellan {
public:
    // Loads nothing. Messages of identity() and configure() go to `prompts`.
    explicit Quellan(std::string path, UserPrompts& prompts = silentPrompts());

    // True when the child runs, already or now; false when starting it failed
    // (the Quellan then stays idle with no nodes).
    bool open();

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

    std::shared_ptr<QuellanProxy> runningProxy;
    std::string libraryPath;
    std::string identityText;
    int64_t topNodeCount = 0;
    UserPrompts& prompts;
};

}  // namespace mq
