// A child that runs in a surrogate process of its own, and the stand-ins here that forward its calls.
#pragma once

#include "hosting/ChildModule.h"
#include "hosting/isolation/SurrogateConnection.h"
#include "hosting/isolation/SurrogateProtocol.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mq {

class IsolatedChild;

// The handles that the stand-ins give out for the child's nodes and tags: the
// surrogate's record of each, and beside it the child it belongs to, which a
// call on a node or tag goes to. After a restart the record is the new
// surrogate's of the same path of names, or null when its tree has none: the
// handle then stands for nothing, and calls on it fail.
struct IsolatedTag {
    const surrogate::TagRecord* record = nullptr;
    IsolatedChild* owner = nullptr;
};

struct IsolatedNode {
    const surrogate::NodeRecord* record = nullptr;
    IsolatedChild* owner = nullptr;
    std::vector<IsolatedNode> subNodes;
    std::vector<IsolatedTag> tags;
};

// The handles for the tree `top` of `owner`'s child; they point into `top`,
// which must outlive them unchanged.
std::vector<IsolatedNode> handlesFor(const std::vector<surrogate::NodeRecord>& top, IsolatedChild* owner);

// The surrogate (quellan-surrogate beside this library) loads the child with
// the same loader, function table and fault guard as this process would, and
// serves one connection. What a crash, abort, exit or heap corruption of the
// child ends there is the surrogate, not the host.
//
// Calls on the connection, its nodes and tags are one round trip each; the
// tree is read by the surrogate and crosses whole with the open, and vectors
// and strings cross whole with the call that delivers them (MirrorValues.h),
// so that browsing and reading values take no round trip. This object is the
// connection's handle; the tree's records are its nodes' and tags' handles.
//
// Once the surrogate has gone (it died, answered nonsense, or was ended by
// abandon()) every call fails at once, as a failing child's call does.
class IsolatedChild final : public ChildModule {
public:
    // `limits` frame the messages both ways; the defaults but for tests.
    explicit IsolatedChild(std::string path, surrogate::Limits limits = {});
    // Served by `surrogateProgram` beside the library instead (ChildMachine:
    // the 32-bit surrogate for a 32-bit child).
    IsolatedChild(std::string path, surrogate::Limits limits, std::string surrogateProgram);
    // The connection ends the surrogate (SurrogateConnection).
    ~IsolatedChild() override = default;

    QUELLAN2_STATUS initialize() override;
    QUELLAN2_STATUS uninitialize() override;
    QUELLAN2_STATUS getIdentity(QUELLAN2_STRING* identity) override;
    QUELLAN2_STATUS connectionOpen(const char* connectionText, QUELLAN2_CONNECTION* connection) override;
    bool abandon() noexcept override;
    bool ended() noexcept override { return link.hasEnded(); }
    std::string ending() const override { return link.ending(); }
    bool renew() override;

    // Starts the surrogate and has it load the child, as initialize() does
    // first. False when either fails; `reason` then says why the surrogate's
    // loader refused the library, in loadChild()'s words, and stays empty when
    // the surrogate could not be started or ended instead. For the quellan
    // tool, which names why an isolated child is left out.
    bool load(std::string& reason);

    // Sends a request and receives its reply. False, with the surrogate ended,
    // when either fails; at once when the surrogate has gone already. An
    // empty reply is a refusal of this request alone: it or its reply was
    // larger than one side could hold. Raises only before the request is sent.
    bool exchange(const surrogate::Encoder& request, std::string& reply) {
        return link.exchange(request, reply);
    }
    // Ends the surrogate for good: after a reply that makes no sense.
    void lose() noexcept { link.lose(); }

    const std::vector<IsolatedNode>& topNodes() const { return nodes; }
    // The surrogate's process number while it runs; 0 otherwise. For tests.
    std::int64_t surrogateId() const noexcept { return link.surrogateId(); }

    // Surrogates are started from the folder of the module that holds this
    // code, which is the library's. A program that compiles the hosting code
    // in (the quellan tool) names the folder of the library it stands in for,
    // once, before any child starts.
    static void startSurrogatesFrom(std::string folder) {
        SurrogateConnection::startSurrogatesFrom(std::move(folder));
    }

private:
    std::string libraryPath;
    SurrogateConnection link;
    // Points the handles at the tree of a surrogate started again.
    void followTree(std::vector<surrogate::NodeRecord> fresh);

    // Read with the open; replaced only by the open of a restart, on the
    // worker, which alone reads the handles' records.
    std::vector<surrogate::NodeRecord> tree;
    // The handles for `tree`, made at the first open and kept for the
    // connection's life.
    std::vector<IsolatedNode> nodes;
    bool handedOut = false;
    // The first open's tree, which the handles were made for, kept once a
    // restart has replaced it: each restart matches the handles by its names.
    std::optional<std::vector<surrogate::NodeRecord>> firstTree;
};

}  // namespace mq
