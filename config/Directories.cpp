// Creating a folder and the missing folders above it, one level at a time.
#include "config/Directories.h"

#include "platform/FileSystem.h"

namespace mq {

namespace {

bool createDirectoriesFrom(std::string path) {
    if (path.empty() || path.size() > platform::MAX_PATH_LENGTH) return false;
    // A trailing separator names the same directory; a root keeps its own.
    while (platform::isPathSeparator(path.back()) && !platform::isFileSystemRoot(path)) path.pop_back();

    if (platform::entryExists(path) || platform::isFileSystemRoot(path)) return true;

    std::string parent = platform::parentFolder(path);
    if (parent == path) return false;
    // A relative name without a folder part lies in the current folder, which exists.
    if (!parent.empty() && !createDirectoriesFrom(parent)) return false;

    // Another process may have created it since the look-up above.
    return platform::makeDirectory(path) || platform::entryExists(path);
}

}  // namespace

bool createDirectories(const std::string& path) noexcept {
    try {
        return createDirectoriesFrom(path);
    } catch (...) {
        return false;
    }
}

}  // namespace mq
