// The rule that decides which configurations a privileged process may load children from.
#include "config/TrustedConfiguration.h"

#include "platform/FileSystem.h"

#include <stdexcept>

namespace mq {

namespace {

// The folder the file lies in, without the trailing separator that a
// root keeps.
std::string folderOf(const std::string& path) {
    std::string folder = platform::parentFolder(path);
    if (folder.empty()) return ".";
    while (folder.size() > 1 && platform::isPathSeparator(folder.back()) && !platform::isFileSystemRoot(folder))
        folder.pop_back();
    return folder;
}

bool onlyAdministratorsChange(const TrustFacts& facts, const std::string& path) {
    platform::EntryOwnership ownership;
    return facts.entryOwnership(path, ownership) && ownership.ownedByAdministrator && !ownership.writableByOthers;
}

}  // namespace

const TrustFacts& platformTrustFacts() {
    static const TrustFacts facts{platform::isPrivilegedProcess, platform::entryOwnership};
    return facts;
}

bool isTrustedConfiguration(const ConfigurationRecord& record, const TrustFacts& facts) {
    if (record.settings.children.empty() || !facts.isPrivilegedProcess()) return true;
    return onlyAdministratorsChange(facts, record.configurationPath) &&
           onlyAdministratorsChange(facts, folderOf(record.configurationPath));
}

void requireTrustedConfiguration(const ConfigurationRecord& record) {
    if (!isTrustedConfiguration(record))
        throw std::runtime_error("Could not trust the configuration " + record.configurationPath);
}

}  // namespace mq
