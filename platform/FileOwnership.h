// Who owns a file or folder and who else may change it; whether this process is privileged.
//
// The facts only; what a process makes of them is decided by the caller.
#pragma once

#include <string>

namespace mq::platform {

struct EntryOwnership {
    // Owned by the machine's administrators: root on POSIX; on Windows the
    // Administrators group, LocalSystem, TrustedInstaller, or the user this
    // process runs as while it runs with that user's administrator rights.
    bool ownedByAdministrator = false;
    // Someone other than those may change the entry: write it, or for a
    // folder add, remove or rename its entries, or change who may. On POSIX
    // any group or world write bit (an access list shows in the group bits);
    // on Windows any allowing entry of the access list for an account other
    // than those above, or no access list at all.
    bool writableByOthers = true;
};

// False when the entry is missing or cannot be looked at.
bool entryOwnership(const std::string& path, EntryOwnership& ownership) noexcept;

// Runs with more rights than the user who started it may have: on POSIX as
// root or set-user-ID/set-group-ID (the loader's secure mode); on Windows
// with an elevated token, as a member of Administrators or as LocalSystem.
bool isPrivilegedProcess() noexcept;

}  // namespace mq::platform
