// Reading the settings and the child list from the configuration file.
#pragma once

#include "config/ConfigurationSettings.h"

#include <string>
#include <vector>

namespace mq {

enum class ConfigurationFileState {
    // Read; it may still name no child.
    READ,
    MISSING,
    // There, but it could not be read (permissions, a folder, a path the platform cannot take).
    UNREADABLE,
    // Nothing but blanks.
    EMPTY,
    // Not a well-formed document, or nested too deeply.
    MALFORMED,
    // Well-formed, without a top-level "settings" element.
    NO_SETTINGS,
};

// "read", "missing", "unreadable", "empty", "malformed", "without a settings element".
const char* describe(ConfigurationFileState state) noexcept;

struct ConfigurationFile {
    ConfigurationFileState state = ConfigurationFileState::MISSING;
    ConfigurationSettings settings;
    // For a malformed file, what is wrong and where: the parser's message
    // with the line and column (both from 1, the column in bytes), such as
    // "expected > at line 3, column 5". Empty otherwise.
    std::string problem;
};

// The attributes of the first top-level "settings" element and its "quellan"
// elements with a "path" attribute, in document order, with all their
// attributes. An element without "path" is skipped; an empty one gives an
// empty path. Whatever is wrong with the file gives empty settings and the
// state that says what; running out of memory gives empty settings.
ConfigurationFile readConfigurationSettings(const std::string& path) noexcept;

// The same for a file's text already read (in place: the parser reads the
// buffer and may change it); its state is never MISSING or UNREADABLE.
ConfigurationFile configurationSettingsOf(std::string& text) noexcept;

// The children's paths of readConfigurationSettings, in order.
std::vector<std::string> readConfigurationFile(const std::string& path) noexcept;

}  // namespace mq
