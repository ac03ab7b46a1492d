// The file-system primitives each platform provides for platform/FileSystem.cpp.
//
// Internal to the platform layer. The portable file holds the path checks,
// the temporary names and the save's steps; a platform body holds only what
// needs the platform's own calls. Paths reaching these functions have passed
// the portable checks (not empty, not too long, no zero byte).
#pragma once

#include <cstdint>
#include <string>

namespace mq::platform::detail {

// What a save needs to know of the entry it is about to replace.
struct SaveTarget {
    bool exists = false;
    bool isDirectory = false;
    // The saving user may write the file itself (not merely its folder).
    bool writable = false;
    // The permissions the new file gets: the old file's, or the platform's
    // default for a new configuration file.
    unsigned permissions = 0;
    // The old file's group where the platform has groups, else -1.
    long group = -1;
};

// False when the entry is there but cannot be looked at.
bool inspectSaveTarget(const std::string& path, SaveTarget& target) noexcept;

// An open file; closed by its destructor.
class OpenFile {
public:
    OpenFile() = default;
    ~OpenFile() { close(); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    bool isOpen() const noexcept { return handle != INVALID; }
    bool writeAll(const std::string& bytes) noexcept;
    // Puts the written bytes on disk.
    bool sync() noexcept;
    bool setPermissions(unsigned permissions) noexcept;
    // Gives the file, written by the saver, what the old one had: its group
    // where the saver may give it that group, and its permissions, less any
    // write permission for a group or for others when the group could not be
    // kept (they were granted to the old group, not to the saver's).
    bool keepAccessOf(const SaveTarget& old) noexcept;
    // Closing reports the last write errors of some file systems.
    bool close() noexcept;

    // A descriptor or a HANDLE; both platforms use -1 for none.
    static constexpr std::intptr_t INVALID = -1;
    std::intptr_t handle = INVALID;
};

enum class CreateResult { CREATED, NAME_TAKEN, REFUSED, FAILED };

// Creates a new file at the path that only its creator can open while it is
// written; NAME_TAKEN when an entry is already there, REFUSED when the folder
// does not let this user create files.
CreateResult createNewFile(const std::string& path, OpenFile& file) noexcept;

// Opens an existing file for writing, emptied.
bool openTruncated(const std::string& path, OpenFile& file) noexcept;

// Opens a file, created if it is missing, so that every write lands whole at
// its end, also when other processes or modules append to it at the same time.
bool openForAppend(const std::string& path, OpenFile& file) noexcept;

// Puts `from` in place of `to` in one step, replacing it.
bool moveOnto(const std::string& from, const std::string& to) noexcept;

// Makes a rename inside the folder last a crash, where the platform needs it.
void syncFolder(const std::string& folder) noexcept;

void removeFile(const std::string& path) noexcept;

// Tells temporary files of different processes apart.
unsigned long currentProcessId() noexcept;

// The system's words for the error of the last primitive that failed on this
// thread ("Permission denied"); empty when it has none.
std::string lastErrorText();

bool entryExistsAt(const std::string& path) noexcept;
bool isReadableFileAt(const std::string& path) noexcept;
// Creates one directory, readable by all and writable by its owner only.
bool createDirectory(const std::string& path) noexcept;

}  // namespace mq::platform::detail
