// Reading MultiQuellan's configuration file as the library does, to say when it gives the library no child.
#include "ConfigurationNotice.h"

#include "config/ConfigurationRecord.h"
#include "config/TrustedConfiguration.h"

namespace quellan {

std::string configurationNotice() {
    mq::ConfigurationRecord record;
    mq::loadConfiguration(record);
    if (record.configurationPath.empty())
        return "MultiQuellan has no data folder for its configuration file, so it has no children";
    // What follows from every problem: the library opens with no child and an empty tree.
    const std::string outcome = ", so MultiQuellan has no children and its tree is empty";
    if (!mq::isTrustedConfiguration(record)) return record.refusal + outcome;
    const std::string file = "MultiQuellan's configuration file " + record.configurationPath;
    switch (record.fileState) {
    case mq::ConfigurationFileState::MISSING: return file + " does not exist" + outcome;
    case mq::ConfigurationFileState::UNREADABLE: return file + " cannot be read" + outcome;
    case mq::ConfigurationFileState::EMPTY: return file + " is empty" + outcome;
    case mq::ConfigurationFileState::MALFORMED:
        return file + " is not well-formed XML (" + record.fileProblem + ")" + outcome;
    case mq::ConfigurationFileState::NO_SETTINGS: return file + " has no settings element" + outcome;
    case mq::ConfigurationFileState::READ: break;
    }
    if (record.settings.children.empty()) return file + " names no child" + outcome;
    return {};
}

}  // namespace quellan
