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

// A file read whole through the one descriptor (handle) whose owner and
// access were looked at, so that what was checked is what was read.
struct AdministeredFile {
    enum class State { READ, MISSING, UNREADABLE };
    State state = State::MISSING;
    std::string text;
    // Empty when the file and every folder from its own up to the root are
    // owned by administrators and no one else may change them, so that no one
    // else can change what the path leads to. Otherwise the first entry, from
    // the root down, that fails this: someone else may change it, or it could
    // not be looked at, or it is a link where the file should be. A folder
    // above the file's own may let others add entries as long as they cannot
    // remove or rename those of others (a sticky folder such as /tmp; the
    // volume root on Windows); the file's own folder may not.
    std::string openToOthers;
};

// Opens `path`, which must be absolute, one folder at a time from the root
// down without following a link at the last step; on POSIX a link among the
// folders is followed when root owns it, and the folders it leads to are
// looked at in turn (Windows refuses a junction or link among the folders). The folders
// are looked at even when the file is missing; the text is read even when
// the chain is open to others, for the caller to decide.
AdministeredFile readAdministeredFile(const std::string& path) noexcept;

// Runs with more rights than the user who started it may have: on POSIX as
// root or set-user-ID/set-group-ID (the loader's secure mode); on Windows
// with an elevated token, as a member of Administrators or as LocalSystem.
bool isPrivilegedProcess() noexcept;

}  // namespace mq::platform
