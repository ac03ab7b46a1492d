// POSIX facts of ownership: stat for owner and mode, the loader's secure mode for privilege.
#include "platform/FileOwnership.h"

#include <sys/auxv.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mq::platform {

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
