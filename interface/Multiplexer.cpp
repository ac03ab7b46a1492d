// The Multiplexer: creating it, opening the children and merging their trees.
#include "interface/Multiplexer.h"

#include "config/CallOptions.h"
#include "config/TrustedConfiguration.h"
#include "hosting/ProxyTree.h"
#include "interface/StatusModule.h"
#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"
#include "platform/ScopeExit.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <stdexcept>

namespace mq {

namespace {

// Only connectionClose destroys the Multiplexer: unloading the library does
// not, because joining the children's workers inside the platform's unload
// would deadlock on the loader's lock.
Multiplexer* current = nullptr;

}  // namespace

Multiplexer& Multiplexer::instance() {
    if (!current) current = std::unique_ptr<Multiplexer>(new Multiplexer()).release();
    return *current;
}

void Multiplexer::destroy() {
    std::unique_ptr<Multiplexer> released(current);
    current = nullptr;
}

Multiplexer::Multiplexer() {
    loadConfiguration(record);
    parallel = mq::parallelCalls(record.settings);
    statusShown = statusNode(record.settings);
}

Multiplexer::~Multiplexer() {
    for (const std::shared_ptr<Quellan>& child : childList) child->stop();
}

void Multiplexer::open() {
    if (opened) return;
    try {
        if (!faults) faults = FaultLog::open(faultLogTarget(record.settings), platformTrustFacts().isPrivilegedProcess());
    } catch (const std::exception&) {
        // No thread or memory for the log: the connection opens without it.
    }
    if (!isTrustedConfiguration(record))
        logEvent(ChildEventKind::CONFIGURATION_REFUSED, std::string(), record.refusal);
    requireTrustedConfiguration(record);
    // A failed open leaves nothing behind, so that a retry starts clean.
    auto rollback = platform::ScopeExit([this] {
        tags.clear();
        nodes.clear();
        childList.clear();
        healthRecord.reset();
    });

    std::vector<std::string> childPaths;
    for (const ChildEntry& configured : record.settings.children) childPaths.push_back(configured.path);
    // Made before any child starts: a listener of the children's events is set here.
    healthRecord = std::make_shared<ChildHealth>(childPaths);
    if (faults) healthRecord->setListener([log = faults](const ChildEvent& event) { log->post(event); });
    childList.reserve(record.settings.children.size() + 1);
    for (const ChildEntry& configured : record.settings.children) {
        const HealthReport report{healthRecord, childList.size()};
        // A privileged host leaves out a child named by a relative path: its
        // Quellan refuses to start, and so adds nothing.
        if (!childPathRefusal(configured.path).empty()) {
            childList.push_back(
                std::make_shared<Quellan>(configured.path, callTimeout(configured), Isolation::NONE, report));
            continue;
        }
        // Made absolute once, so that the file checked is the file loaded.
        const std::string path = platform::absolutePath(configured.path);
        if (!platform::entryExists(path)) throw std::runtime_error("Could not connect to Quellan " + path);
        if (!platform::isReadableFile(path)) throw std::runtime_error("Could not open Quellan " + path);
        childList.push_back(std::make_shared<Quellan>(path, callTimeout(configured), childIsolation(configured),
                                                      report, childRestarts(configured)));
    }
    // Last, so that no child's node or tag handle moves.
    if (statusShown)
        childList.push_back(std::make_shared<Quellan>(
            STATUS_NODE_NAME, std::make_unique<StatusModule>(healthRecord, statusLabels(childPaths))));
    if (parallel) {
        for (const std::shared_ptr<Quellan>& child : childList) child->start();
        for (const std::shared_ptr<Quellan>& child : childList) child->awaitStart();
    }
    // A child that cannot be started has no nodes and so adds nothing.
    for (uint64_t childIndex = 0; childIndex < childList.size(); ++childIndex) {
        Quellan& child = *childList[childIndex];
        child.open();
        mergeChild(childIndex);
    }
    rollback.release();
    opened = true;
}

void Multiplexer::logEvent(ChildEventKind kind, const std::string& child, const std::string& detail) noexcept {
    if (!faults) return;
    try {
        faults->post(ChildEvent{std::chrono::system_clock::now(), kind, child, std::string(), detail});
    } catch (...) {
        // Out of memory for the event's texts: it goes unlogged.
    }
}

void Multiplexer::mergeChild(uint64_t childIndex) {
    const Quellan& child = *childList[childIndex];
    for (int64_t k = 0; k < child.nodeCount(); ++k) {
        QuellanProxy::Node& node = *child.proxy()->connectionTree().topNodes[static_cast<std::size_t>(k)];
        const uint64_t tagCount = node.nodeTags.size();
        nodes.push_back(NodeEntry{childIndex, &node, child.nameOf(node), tagCount, tags.size()});
        const uint64_t nodeIndex = nodes.size() - 1;
        for (const InTree<QuellanProxy::Tag>& tag : node.nodeTags)
            tags.push_back(TagEntry{nodeIndex, tag.get(), child.nameOf(*tag)});
    }
}

const NodeEntry* Multiplexer::nodeEntry(QUELLAN2_NODE node) const {
    const uintptr_t position = reinterpret_cast<uintptr_t>(node);
    return position >= 1 && position <= nodes.size() ? &nodes[position - 1] : nullptr;
}

const TagEntry* Multiplexer::tagEntry(QUELLAN2_TAG tag) const {
    const uintptr_t position = reinterpret_cast<uintptr_t>(tag);
    return position >= 1 && position <= tags.size() ? &tags[position - 1] : nullptr;
}

QUELLAN2_NODE Multiplexer::nodeHandle(uint64_t position) {
    return reinterpret_cast<QUELLAN2_NODE>(static_cast<uintptr_t>(position + 1));
}

QUELLAN2_TAG Multiplexer::tagHandle(uint64_t position) {
    return reinterpret_cast<QUELLAN2_TAG>(static_cast<uintptr_t>(position + 1));
}

}  // namespace mq
