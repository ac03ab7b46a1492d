// Folders and files of the configuration store.
//
// Every function that takes a path refuses, without touching the file system,
// a path that is empty, longer than MAX_PATH_LENGTH or holds a zero byte: the
// platform's functions would otherwise see a shortened or a different path.
// Functions marked noexcept report every failure, memory included, through
// their result; the others may throw std::bad_alloc and change nothing then.
#pragma once

#include <cstddef>
#include <string>

namespace mq::platform {

// The separator between the parts of a path.
extern const char PATH_SEPARATOR;

// True for PATH_SEPARATOR and any other character the platform reads as one.
bool isPathSeparator(char c) noexcept;

// The longest path the platform's file functions accept, in bytes.
extern const std::size_t MAX_PATH_LENGTH;

// The line end of text files on this platform.
extern const char* const LINE_END;

// The machine-wide folder for application data shared by all users, without
// a trailing separator. False when the platform cannot report it.
bool commonDataFolder(std::string& folder);

// True when a file or directory exists at the path.
bool entryExists(const std::string& path) noexcept;

// True when the path names a file (not a directory) that can be opened for reading.
bool isReadableFile(const std::string& path) noexcept;

// True for a path that has no parent: a drive root or "/".
bool isFileSystemRoot(const std::string& path) noexcept;

// The folder part of a path, ending in a separator ("" when there is none).
std::string parentFolder(const std::string& path);

// Creates one directory whose parent exists, readable by everyone and
// writable by its owner only (on POSIX 0755 whatever the umask; on Windows
// with the access list it inherits).
bool makeDirectory(const std::string& path) noexcept;

// Writes `bytes` to a new file beside `target` and puts it in the target's
// place in one step, so that the target is either the old file or the new
// one, whole, whatever happens. The old file stays untouched on failure, and
// no temporary file is left behind.
//
// The file's own rights decide, as for an ordinary write: an existing target
// that the saving user may not write is refused, whatever its folder allows.
// The new file keeps the old one's permissions (a first file gets 0644 on
// POSIX, whatever the umask) and, on POSIX, its group where the saving user
// may give it that group; where not, the new file has the saver's group and
// no write permission for its group or for others. Where the folder refuses new files but the
// target is writable, the target is rewritten in place instead: emptied,
// written and flushed, which a failure part way leaves short or empty.
// On failure `why`, where given, says in words why the file was not saved.
bool replaceFileContents(const std::string& target, const std::string& bytes, std::string* why = nullptr) noexcept;

// Appends `bytes` to the file at `path` (created if it is missing) in one
// write, which lands whole even when other writers append to the file at the
// same moment.
bool appendToFile(const std::string& path, const std::string& bytes) noexcept;

// Copies the file at `target` to `backup` by the same kind of save, before
// `target` is replaced: the copy gets the owner, group and permissions that a
// save of `target` gives. True when there is no file at `target` to keep and
// where the folder refuses new files and no backup is there to rewrite
// (there is then no place to keep one). False, with nothing made, when the
// file cannot be read or copied, and when the saving user may not write
// `target`, whose save would be refused.
// `why` as for replaceFileContents.
bool keepBackup(const std::string& target, const std::string& backup, std::string* why = nullptr) noexcept;

}  // namespace mq::platform
