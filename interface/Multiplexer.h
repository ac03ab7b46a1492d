// The one object behind every connection: the children and the merged tree.
#pragma once

#include "config/ConfigurationRecord.h"
#include "hosting/FaultLog.h"
#include "hosting/ChildHealth.h"
#include "hosting/Quellan.h"
#include "interface/NodeEntry.h"
#include "interface/TagEntry.h"
#include "quellan2.h"

#include <memory>
#include <vector>
#include <utility>

namespace mq {

// Shows the host the top-level nodes of all children side by side, in child
// order, each with its own tags: one two-level tree whose node and tag handles
// are 1-based positions in the tables below.
class Multiplexer {
public:
    // The process's Multiplexer, created (and its configuration read) when
    // there is none. The interface serves one calling thread at a time, so
    // this takes no lock.
    static Multiplexer& instance();
    // Destroys the process's Multiplexer, stopping every child; the next
    // instance() reads the configuration afresh.
    static void destroy();

    // Asks every child's worker to stop at once, so that the children close
    // side by side; each is then waited for as its Quellan goes.
    ~Multiplexer();

    // Starts every configured child and merges their trees; with parallel
    // calls configured, the children start side by side, and are merged in
    // child order once all have started. Raises a standard
    // exception when the configuration was refused (see
    // readTrustedConfiguration) or a configured file is missing or
    // unreadable; nothing is started then, and a later open starts clean. A
    // privileged host leaves out a child named by a relative path. An opened Multiplexer is
    // left as it is.
    void open();

    QUELLAN2_CONNECTION connectionHandle() { return reinterpret_cast<QUELLAN2_CONNECTION>(this); }

    const ConfigurationRecord& configuration() const { return record; }
    // True when the file asks for parallel calls: every data operation then
    // starts the call of every child before it waits for the first.
    bool parallelCalls() const { return parallel; }
    // The configured children, by child index; with status="true" the status
    // node's own child follows them, last.
    const std::vector<std::shared_ptr<Quellan>>& children() const { return childList; }
    // The fault log the settings' log attribute asks for, opened by open();
    // null when they ask for none. Events of the children are posted to it.
    FaultLog* faultLog() const { return faults.get(); }
    // The configured children's health since the open; null before it.
    const std::shared_ptr<ChildHealth>& health() const { return healthRecord; }
    const std::vector<NodeEntry>& nodeTable() const { return nodes; }
    const std::vector<TagEntry>& tagTable() const { return tags; }

    // The row behind a handle, or null for a handle that was never given out
    // by this Multiplexer (zero, beyond the table, or from before a close).
    const NodeEntry* nodeEntry(QUELLAN2_NODE node) const;
    const TagEntry* tagEntry(QUELLAN2_TAG tag) const;

    static QUELLAN2_NODE nodeHandle(uint64_t position);
    static QUELLAN2_TAG tagHandle(uint64_t position);

private:
    Multiplexer();
    void mergeChild(uint64_t childIndex);

    void logEvent(ChildEventKind kind, const std::string& child, const std::string& detail) noexcept;

    ConfigurationRecord record;
    // Before the children, so that it outlives their shutdown.
    // Shared with the listener of the children's health, which a retired
    // child's worker may still call after this object has gone.
    std::shared_ptr<FaultLog> faults;
    std::vector<std::shared_ptr<Quellan>> childList;
    std::vector<NodeEntry> nodes;
    std::vector<TagEntry> tags;
    bool opened = false;
    bool parallel = false;
    bool statusShown = false;
    std::shared_ptr<ChildHealth> healthRecord;
};

}  // namespace mq
