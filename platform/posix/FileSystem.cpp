// POSIX implementation of the configuration store's folders and files.
#include "platform/FileSystem.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <string>

namespace mq::platform {

const char PATH_SEPARATOR = '/';
const std::size_t MAX_PATH_LENGTH = PATH_MAX - 1;
const char* const LINE_END = "\n";

namespace {

// The folder of the XDG base-directory convention when XDG_CONFIG_DIRS names none.
const char* const DEFAULT_CONFIG_FOLDER = "/etc/xdg";

bool isUsablePath(const std::string& path) {
    return !path.empty() && path.size() <= MAX_PATH_LENGTH && path.find('\0') == std::string::npos;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int descriptor) : descriptor(descriptor) {}
    ~FileDescriptor() { close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return descriptor; }
    bool valid() const { return descriptor >= 0; }
    // Closing reports the last write errors of some file systems.
    bool close() {
        if (descriptor < 0) return true;
        int result = ::close(descriptor);
        descriptor = -1;
        return result == 0;
    }

private:
    int descriptor;
};

// Removes the file at its path once it has been created, unless it has been
// put in place. It holds the path from before the file exists, so that
// nothing can fail between creating the file and guarding it.
class TemporaryFile {
public:
    TemporaryFile() = default;
    ~TemporaryFile() {
        if (created) ::unlink(path.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    std::string path;
    bool created = false;
};

bool writeAll(int descriptor, const std::string& bytes) {
    const char* next = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t written = ::write(descriptor, next, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        next += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

// A name beside the target that no other writer, in this process or another, uses.
std::string temporaryNameFor(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    return target + ".tmp" + std::to_string(::getpid()) + "." + std::to_string(counter++);
}

}  // namespace

bool isPathSeparator(char c) noexcept {
    return c == '/';
}

bool commonDataFolder(std::string& folder) {
    // Only the first entry counts: it is the one of highest preference. A
    // relative entry is invalid by the convention and means the default.
    std::string first;
    if (const char* dirs = ::getenv("XDG_CONFIG_DIRS")) {
        first = dirs;
        first.erase(std::min(first.find(':'), first.size()));
    }
    if (first.empty() || first.front() != '/') first = DEFAULT_CONFIG_FOLDER;
    while (first.size() > 1 && first.back() == '/') first.pop_back();
    folder = std::move(first);
    return true;
}

bool entryExists(const std::string& path) noexcept {
    struct stat status{};
    return isUsablePath(path) && ::stat(path.c_str(), &status) == 0;
}

bool isReadableFile(const std::string& path) noexcept {
    struct stat status{};
    // Regular files only: a pipe or a device could block the reader.
    return isUsablePath(path) && ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           ::access(path.c_str(), R_OK) == 0;
}

bool isFileSystemRoot(const std::string& path) noexcept {
    return !path.empty() && path.find_first_not_of('/') == std::string::npos;
}

std::string parentFolder(const std::string& path) {
    std::size_t last = path.rfind('/');
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

bool makeDirectory(const std::string& path) noexcept {
    // The process's umask decides the final permissions, as for any new folder.
    return isUsablePath(path) && ::mkdir(path.c_str(), 0777) == 0;
}

bool replaceFileContents(const std::string& target, const std::string& bytes) noexcept {
    try {
        if (!isUsablePath(target)) return false;
        struct stat old{};
        bool hasOld = ::stat(target.c_str(), &old) == 0;
        if (hasOld && S_ISDIR(old.st_mode)) return false;

        // Everything that can fail for want of memory happens before the
        // temporary file exists or after the save is complete.
        std::string folder = parentFolder(target);
        if (folder.empty()) folder = ".";
        TemporaryFile temporary;
        int descriptor = -1;
        for (int attempt = 0; attempt < 16 && descriptor < 0; ++attempt) {
            temporary.path = temporaryNameFor(target);
            if (temporary.path.size() > MAX_PATH_LENGTH) return false;
            descriptor = ::open(temporary.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (descriptor < 0 && errno != EEXIST) return false;
        }
        FileDescriptor file(descriptor);
        if (!file.valid()) return false;
        temporary.created = true;

        // The new file takes the old one's permissions, so that other users can
        // read it as before; failing to do so does not stop the save.
        if (hasOld) (void)::fchmod(file.get(), old.st_mode & 07777);
        if (!writeAll(file.get(), bytes) || ::fsync(file.get()) != 0 || !file.close()) return false;
        if (::rename(temporary.path.c_str(), target.c_str()) != 0) return false;
        temporary.created = false;

        // The new name lasts a crash only once the folder is on disk as well.
        // The file is in place by now, so a failure here does not undo the save.
        FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (directory.valid()) (void)::fsync(directory.get());
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace mq::platform
