// The status node: a child module served in this process from the children's health.
#pragma once

#include "hosting/ChildHealth.h"
#include "hosting/ChildModule.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace mq {

// The name of the status node, the last top-level node when the file says status="true".
constexpr const char* STATUS_NODE_NAME = "MultiQuellan";

// The figures a status tag shows, in the order of each child's tags.
enum class StatusField : std::size_t { STATE, CALLS, FAULTS, TIMEOUTS, RESTARTS, LAST_PROBLEM, LAST_CALL_MS, COUNT };

// A third kind of child beside the loaded library and the isolated child: its
// one node holds seven tags per configured child ("LABEL.State" ...), and its
// entry points read them from the health record. So the proxy, the merged
// tables and the data operations serve it as any child: a current read gives
// the figures now, a historical or batch read nulls, a write is refused (the
// host gets 0 as for any child that refuses), an update time is now.
class StatusModule final : public ChildModule {
public:
    // `labels` name the children of `health` in its order.
    StatusModule(std::shared_ptr<const ChildHealth> health, std::vector<std::string> labels);

    QUELLAN2_STATUS initialize() override { return QUELLAN2_STATUS_OK; }
    QUELLAN2_STATUS uninitialize() override { return QUELLAN2_STATUS_OK; }
    QUELLAN2_STATUS getIdentity(QUELLAN2_STRING* identity) override;
    QUELLAN2_STATUS connectionOpen(const char* connectionText, QUELLAN2_CONNECTION* connection) override;

    // What a tag handle of this module points at.
    struct Tag {
        const StatusModule* owner;
        std::size_t child;
        StatusField field;
    };

    std::size_t tagCount() const { return tags.size(); }
    const Tag& tag(std::size_t index) const { return tags[index]; }
    std::string tagName(const Tag& tag) const;
    const ChildHealth& childHealth() const { return *health; }

private:
    std::shared_ptr<const ChildHealth> health;
    std::vector<std::string> labels;
    std::vector<Tag> tags;
};

// Each child's label: its file name without the extension; a label met
// before gets " (2)", " (3)" ... in file order.
std::vector<std::string> statusLabels(const std::vector<std::string>& childPaths);

}  // namespace mq
