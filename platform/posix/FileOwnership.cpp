// POSIX facts of ownership: stat for owner and mode, a checked descriptor read from, the loader's secure mode for privilege.
#include "platform/FileOwnership.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/auxv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace mq::platform {

namespace {

// A descriptor owned by the scope that opened it.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd(fd) {}
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor& operator=(Descriptor&& other) noexcept {
        std::swap(fd, other.fd);
        return *this;
    }
    int get() const { return fd; }

private:
    int fd;
};

// Root owns the entry and no one else may write it. A folder above the
// file's own may be sticky and writable by all: others may add entries
// there, but not remove or rename root's.
bool onlyRootChanges(int fd, bool stickyWillDo) {
    struct stat status{};
    if (::fstat(fd, &status) != 0 || status.st_uid != 0) return false;
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) == 0) return true;
    return stickyWillDo && S_ISDIR(status.st_mode) && (status.st_mode & S_ISVTX) != 0;
}

// The parts of a path between its slashes, last first, so that the next is at the back.
void pushParts(const std::string& path, std::vector<std::string>& parts) {
    std::vector<std::string> inOrder;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        if (end > start && path.compare(start, end - start, ".") != 0) inOrder.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    parts.insert(parts.end(), inOrder.rbegin(), inOrder.rend());
}

// Links followed among the folders before the path is given up, as the kernel does.
constexpr int MAX_LINKS = 40;

}  // namespace

AdministeredFile readAdministeredFile(const std::string& path) noexcept {
    AdministeredFile file;
    try {
        file.state = AdministeredFile::State::UNREADABLE;
        if (path.empty() || path.front() != '/' || path.find('\0') != std::string::npos) {
            file.openToOthers = path;
            return file;
        }
        const std::size_t slash = path.find_last_of('/');
        const std::string name = path.substr(slash + 1);
        std::vector<std::string> folders;
        pushParts(path.substr(0, slash), folders);

        std::string reached = "/";
        auto refuse = [&](const std::string& entry) {
            if (file.openToOthers.empty()) file.openToOthers = entry;
        };
        Descriptor folder(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (folder.get() < 0) return file;
        if (!onlyRootChanges(folder.get(), true)) refuse(reached);
        int links = 0;
        while (!folders.empty()) {
            const std::string part = std::move(folders.back());
            folders.pop_back();
            const std::string at = reached + (reached.back() == '/' ? "" : "/") + part;
            Descriptor next(::openat(folder.get(), part.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (next.get() < 0 && (errno == ELOOP || errno == ENOTDIR)) {
                // A link among the folders: followed when root made it, as its target is then root's choice.
                struct stat link{};
                std::vector<char> target(PATH_MAX + 1, '\0');
                const ssize_t length = ::readlinkat(folder.get(), part.c_str(), target.data(), PATH_MAX);
                if (length <= 0 || ::fstatat(folder.get(), part.c_str(), &link, AT_SYMLINK_NOFOLLOW) != 0 ||
                    !S_ISLNK(link.st_mode) || ++links > MAX_LINKS)
                    return file;
                if (link.st_uid != 0) refuse(at);
                const std::string destination(target.data(), static_cast<std::size_t>(length));
                pushParts(destination, folders);
                if (destination.front() == '/') {
                    reached = "/";
                    folder = Descriptor(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
                    if (folder.get() < 0) return file;
                }
                continue;
            }
            if (next.get() < 0) {
                if (errno == ENOENT) file.state = AdministeredFile::State::MISSING;
                return file;
            }
            reached = at;
            if (!onlyRootChanges(next.get(), true)) refuse(reached);
            folder = std::move(next);
        }
        // The file's own folder: no sticky bit will do, for others could add the file.
        if (!onlyRootChanges(folder.get(), false)) refuse(reached);

        // Non-blocking, so that a FIFO put in the file's place cannot stall the open.
        Descriptor opened(::openat(folder.get(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat status{};
        if (opened.get() < 0) {
            if (errno == ENOENT) file.state = AdministeredFile::State::MISSING;
            if (errno == ELOOP) refuse(path);
            return file;
        }
        if (::fstat(opened.get(), &status) != 0 || !S_ISREG(status.st_mode)) return file;
        if (!onlyRootChanges(opened.get(), false)) refuse(path);
        std::string text;
        char buffer[8192];
        for (;;) {
            const ssize_t got = ::read(opened.get(), buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) return file;
            if (got == 0) break;
            text.append(buffer, static_cast<std::size_t>(got));
        }
        file.text = std::move(text);
        file.state = AdministeredFile::State::READ;
    } catch (...) {
        file.state = AdministeredFile::State::UNREADABLE;
        file.text.clear();
    }
    return file;
}

bool entryOwnership(const std::string& path, EntryOwnership& ownership) noexcept {
    struct stat status{};
    // Follows links, as the reader does: what counts is the entry that is read.
    if (path.find('\0') != std::string::npos || ::stat(path.c_str(), &status) != 0) return false;
    ownership.ownedByAdministrator = status.st_uid == 0;
    ownership.writableByOthers = (status.st_mode & (S_IWGRP | S_IWOTH)) != 0;
    return true;
}

bool isPrivilegedProcess() noexcept {
    // AT_SECURE is set for set-user-ID and set-group-ID programs and those
    // given capabilities by the file they were started from.
    return ::geteuid() == 0 || ::getauxval(AT_SECURE) != 0;
}

}  // namespace mq::platform
