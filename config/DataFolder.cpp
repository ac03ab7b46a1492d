// Finding, and creating when missing, the machine-wide data folder.
#include "config/DataFolder.h"

#include "config/Directories.h"
#include "platform/FileSystem.h"

namespace mq {

std::string dataFolder() {
    std::string folder;
    if (!platform::commonDataFolder(folder)) return {};
    if (folder.empty() || !platform::isPathSeparator(folder.back())) folder += platform::PATH_SEPARATOR;
    for (const char* name : DATA_FOLDER_NAMES) {
        if (!platform::isPathSeparator(folder.back())) folder += platform::PATH_SEPARATOR;
        folder += name;
    }
    // The result is not needed: a folder that cannot be made shows up when
    // its files cannot be opened.
    if (!platform::entryExists(folder)) createDirectories(folder);
    return folder;
}

}  // namespace mq
