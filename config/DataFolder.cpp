// Finding, and creating when missing, the machine-wide data folder.
#include "config/DataFolder.h"

#include "config/Directories.h"
#include "platform/FileSystem.h"

namespace mq {

namespace {

std::string dataFolderAtLoad() noexcept {
    // An exception here would end the host process while it loads the library.
    try {
        return dataFolder();
    } catch (...) {
        return {};
    }
}

// Computing it here creates the folder as soon as the library is loaded.
const std::string LOADED_DATA_FOLDER = dataFolderAtLoad();

}  // namespace

std::string dataFolder() {
    std::string folder;
    if (!platform::commonDataFolder(folder)) return {};
    if (folder.empty() || !platform::isPathSeparator(folder.back())) folder += platform::PATH_SEPARATOR;
    folder += "Kalmeno";
    folder += platform::PATH_SEPARATOR;
    folder += "Quellan";
    // The result is not needed: a folder that cannot be made shows up when
    // its files cannot be opened.
    if (!platform::entryExists(folder)) createDirectories(folder);
    return folder;
}

const std::string& loadedDataFolder() noexcept {
    return LOADED_DATA_FOLDER;
}

}  // namespace mq
