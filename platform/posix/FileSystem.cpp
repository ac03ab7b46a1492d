// POSIX primitives of the configuration store's folders and files.
#include "platform/FileSystem.h"
#include "platform/FileSystemPrimitives.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace mq::platform {

const char PATH_SEPARATOR = '/';
const std::size_t MAX_PATH_LENGTH = PATH_MAX - 1;
const char* const LINE_END = "\n";

namespace {

// The folder of the XDG base-directory convention when XDG_CONFIG_DIRS names none.
const char* const DEFAULT_CONFIG_FOLDER = "/etc/xdg";

// Whatever the umask: every user's host reads the configuration, only its
// owner changes it.
constexpr mode_t FOLDER_PERMISSIONS = 0755;
constexpr mode_t NEW_FILE_PERMISSIONS = 0644;

}  // namespace

bool isPathSeparator(char c) noexcept {
    return c == '/';
}

bool commonDataFolder(std::string& folder) {
    // Only the first entry counts: it is the one of highest preference. A
    // relative entry is invalid by the convention and means the default. A
    // set-user-ID process ignores the variable, so that whoever starts it
    // cannot choose the libraries it loads.
    std::string first;
    if (const char* dirs = ::secure_getenv("XDG_CONFIG_DIRS")) {
        first = dirs;
        first.erase(std::min(first.find(':'), first.size()));
    }
    if (first.empty() || first.front() != '/') first = DEFAULT_CONFIG_FOLDER;
    while (first.size() > 1 && first.back() == '/') first.pop_back();
    folder = std::move(first);
    return true;
}

bool isFileSystemRoot(const std::string& path) noexcept {
    return !path.empty() && path.find_first_not_of('/') == std::string::npos;
}

std::string parentFolder(const std::string& path) {
    std::size_t last = path.rfind('/');
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

namespace detail {

bool inspectSaveTarget(const std::string& path, SaveTarget& target) noexcept {
    struct stat status{};
    if (::stat(path.c_str(), &status) != 0) {
        target = SaveTarget{};
        target.permissions = NEW_FILE_PERMISSIONS;
        return errno == ENOENT;
    }
    target.exists = true;
    target.isDirectory = S_ISDIR(status.st_mode);
    // The effective user and groups decide, as they do for open(); the
    // permission bits alone would be wrong for root and for access lists.
    target.writable = ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
    target.permissions = status.st_mode & 07777;
    target.group = static_cast<long>(status.st_gid);
    return true;
}

bool OpenFile::writeAll(const std::string& bytes) noexcept {
    const char* next = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t written = ::write(static_cast<int>(handle), next, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        next += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

bool OpenFile::sync() noexcept {
    return ::fsync(static_cast<int>(handle)) == 0;
}

bool OpenFile::setPermissions(unsigned permissions) noexcept {
    return ::fchmod(static_cast<int>(handle), static_cast<mode_t>(permissions)) == 0;
}

bool OpenFile::keepAccessOf(const SaveTarget& old) noexcept {
    mode_t permissions = static_cast<mode_t>(old.permissions);
    if (old.exists && ::fchown(static_cast<int>(handle), static_cast<uid_t>(-1), static_cast<gid_t>(old.group)) != 0)
        permissions &= ~static_cast<mode_t>(S_IWGRP | S_IWOTH);
    return setPermissions(permissions);
}

bool OpenFile::close() noexcept {
    if (handle == INVALID) return true;
    int result = ::close(static_cast<int>(handle));
    handle = INVALID;
    return result == 0;
}

CreateResult createNewFile(const std::string& path, OpenFile& file) noexcept {
    int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (descriptor >= 0) {
        file.handle = descriptor;
        return CreateResult::CREATED;
    }
    if (errno == EEXIST) return CreateResult::NAME_TAKEN;
    return errno == EACCES || errno == EPERM ? CreateResult::REFUSED : CreateResult::FAILED;
}

bool openTruncated(const std::string& path, OpenFile& file) noexcept {
    // O_NOFOLLOW: the file inspected is the file written, not what a link points to.
    int descriptor = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0) return false;
    file.handle = descriptor;
    return true;
}

bool openForAppend(const std::string& path, OpenFile& file) noexcept {
    // O_APPEND: the kernel moves to the end and writes in one step.
    int descriptor = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (descriptor < 0) return false;
    file.handle = descriptor;
    return true;
}

bool moveOnto(const std::string& from, const std::string& to) noexcept {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

void syncFolder(const std::string& folder) noexcept {
    // The new name lasts a crash only once the folder is on disk as well.
    OpenFile directory;
    directory.handle = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory.isOpen()) (void)directory.sync();
}

void removeFile(const std::string& path) noexcept {
    ::unlink(path.c_str());
}

unsigned long currentProcessId() noexcept {
    return static_cast<unsigned long>(::getpid());
}

bool entryExistsAt(const std::string& path) noexcept {
    struct stat status{};
    return ::stat(path.c_str(), &status) == 0;
}

bool isReadableFileAt(const std::string& path) noexcept {
    struct stat status{};
    // Regular files only: a pipe or a device could block the reader.
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && ::access(path.c_str(), R_OK) == 0;
}

bool createDirectory(const std::string& path) noexcept {
    if (::mkdir(path.c_str(), FOLDER_PERMISSIONS) != 0) return false;
    // The umask may have taken bits away; put them back on the folder just
    // made, not on whatever the path names by now. A folder left narrower is
    // still safe, so failing here does not fail the creation.
    OpenFile directory;
    directory.handle = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (directory.isOpen()) (void)directory.setPermissions(FOLDER_PERMISSIONS);
    return true;
}

std::string lastErrorText() {
    return errno == 0 ? std::string() : std::string(std::strerror(errno));
}

}  // namespace detail

}  // namespace mq::platform
