// The rule that decides which configurations and child paths a privileged process may load children from.
#include "config/TrustedConfiguration.h"

#include "config/CallOptions.h"

#include <filesystem>
#include <stdexcept>
#include <utility>

namespace mq {

const TrustFacts& platformTrustFacts() {
    static const TrustFacts facts{platform::isPrivilegedProcess, platform::readAdministeredFile};
    return facts;
}

ConfigurationFile readTrustedConfiguration(const std::string& path, std::string& refusal,
                                           const TrustFacts& facts) noexcept {
    refusal.clear();
    ConfigurationFile file;
    try {
        if (!facts.isPrivilegedProcess()) return readConfigurationSettings(path);
        platform::AdministeredFile read = facts.readAdministeredFile(path);
        if (read.state == platform::AdministeredFile::State::MISSING) return file;
        file.state = ConfigurationFileState::UNREADABLE;
        if (read.state != platform::AdministeredFile::State::READ) return file;
        file = configurationSettingsOf(read.text);
        // A file that names no child loads nothing, whoever may change it.
        if (read.openToOthers.empty() || file.settings.children.empty()) return file;
        // The log setting alone is kept, so that the system's log hears of
        // the refusal: a privileged host writes to no file of the setting's.
        Attributes kept;
        if (const std::string* log = findAttribute(file.settings.attributes, LOG_ATTRIBUTE))
            kept.push_back({LOG_ATTRIBUTE, *log});
        file.settings = ConfigurationSettings{std::move(kept), {}};
        refusal = "Could not trust the configuration " + path + ": " + read.openToOthers +
                  " may be changed by others than the administrators";
    } catch (...) {
        // Out of memory: nothing is loaded from a file that was not weighed.
        file.settings = ConfigurationSettings{};
        // Short enough to need no memory of its own.
        refusal = "Out of memory";
    }
    return file;
}

bool isTrustedConfiguration(const ConfigurationRecord& record) noexcept {
    return record.refusal.empty();
}

void requireTrustedConfiguration(const ConfigurationRecord& record) {
    if (!isTrustedConfiguration(record)) throw std::runtime_error(record.refusal);
}

std::string childPathRefusal(const std::string& configuredPath, const TrustFacts& facts) {
    if (std::filesystem::path(configuredPath).is_absolute() || !facts.isPrivilegedProcess()) return {};
    return "Refused the relative path " + configuredPath +
           ": this process is privileged and loads a child by its full path only";
}

}  // namespace mq
