// Which configurations a privileged process may load children from.
#pragma once

#include "config/ConfigurationRecord.h"
#include "platform/FileOwnership.h"

#include <functional>
#include <string>

namespace mq {

// The facts the rule weighs: the platform's, or a test's own.
struct TrustFacts {
    std::function<bool()> isPrivilegedProcess;
    std::function<bool(const std::string& path, platform::EntryOwnership& ownership)> entryOwnership;
};

const TrustFacts& platformTrustFacts();

// The configuration names libraries that the process will load and run with
// its rights. A privileged process trusts it only when both the configuration
// file and the folder it lies in are owned by the machine's administrators and
// no one else may change them; an entry that cannot be looked at is not
// trusted. The folders above are not looked at. An unprivileged process, and
// a record that names no child, are always trusted.
bool isTrustedConfiguration(const ConfigurationRecord& record, const TrustFacts& facts = platformTrustFacts());

// Throws std::runtime_error, before any child is loaded, when the record is not trusted.
void requireTrustedConfiguration(const ConfigurationRecord& record);

}  // namespace mq
