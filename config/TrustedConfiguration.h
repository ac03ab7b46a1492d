// Which configurations a privileged process may load children from, and which child paths.
#pragma once

#include "config/ConfigurationFileReader.h"
#include "config/ConfigurationRecord.h"
#include "platform/FileOwnership.h"

#include <functional>
#include <string>

namespace mq {

// The facts the rule weighs: the platform's, or a test's own.
struct TrustFacts {
    std::function<bool()> isPrivilegedProcess;
    std::function<platform::AdministeredFile(const std::string& path)> readAdministeredFile;
};

const TrustFacts& platformTrustFacts();

// The configuration names libraries that the process will load and run with
// its rights. A privileged process reads it through the one descriptor whose
// owner and access it checked, the file and every folder up to the root (see
// readAdministeredFile), so that no one can swap the file or a folder between
// the check and the read. When someone other than the administrators may
// change them and the file names a child, the settings are left empty (but for its log
// attribute, which tells the system's log of the refusal) and
// `refusal` says why; otherwise `refusal` is empty. An unprivileged process
// reads the file by its path, as readConfigurationSettings does, and a file
// that names no child is never refused.
ConfigurationFile readTrustedConfiguration(const std::string& path, std::string& refusal,
                                           const TrustFacts& facts = platformTrustFacts()) noexcept;

// Whether loading the record refused its file.
bool isTrustedConfiguration(const ConfigurationRecord& record) noexcept;

// Throws std::runtime_error with the refusal, before any child is loaded, when the record was refused.
void requireTrustedConfiguration(const ConfigurationRecord& record);

// Why this process loads no child from `configuredPath`, or empty: a
// privileged process takes no relative path, since which file that names
// depends on the folder the host was started in. An unprivileged process
// takes any path.
std::string childPathRefusal(const std::string& configuredPath, const TrustFacts& facts = platformTrustFacts());

}  // namespace mq
