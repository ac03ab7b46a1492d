// Windows primitives of the configuration store's folders and files.
#include "platform/FileSystem.h"
#include "platform/FileSystemPrimitives.h"
#include "platform/win32/OwnedHandle.h"

#include <windows.h>
#include <shlobj.h>

#include <string>

namespace mq::platform {

const char PATH_SEPARATOR = '\\';
// MAX_PATH counts the terminating zero.
const std::size_t MAX_PATH_LENGTH = MAX_PATH - 1;
const char* const LINE_END = "\r\n";

namespace {

HANDLE nativeHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

bool isPathSeparator(char c) noexcept {
    return c == '\\' || c == '/';
}

bool commonDataFolder(std::string& folder) {
    char buffer[MAX_PATH] = {};
    // Anything but S_OK is a failure, S_FALSE (folder missing) included.
    if (SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, buffer) != S_OK) return false;
    std::string result(buffer);
    while (result.size() > 3 && isPathSeparator(result.back())) result.pop_back();
    folder = std::move(result);
    return true;
}

bool isFileSystemRoot(const std::string& path) noexcept {
    std::size_t n = path.size();
    // "C:", "C:\" and "\" (the root of the current drive).
    if (n == 2 && path[1] == ':') return true;
    if (n == 3 && path[1] == ':' && isPathSeparator(path[2])) return true;
    if (n == 1 && isPathSeparator(path[0])) return true;
    // A network share, "\\server\share" with or without a trailing separator.
    if (n > 2 && isPathSeparator(path[0]) && isPathSeparator(path[1])) {
        std::size_t serverEnd = path.find_first_of("\\/", 2);
        if (serverEnd == std::string::npos || serverEnd == 2 || serverEnd + 1 >= n) return false;
        std::size_t shareEnd = path.find_first_of("\\/", serverEnd + 1);
        return shareEnd == std::string::npos || shareEnd == n - 1;
    }
    return false;
}

std::string parentFolder(const std::string& path) {
    std::size_t last = path.find_last_of("\\/");
    if (last != std::string::npos) return path.substr(0, last + 1);
    // "C:name" lies in the current folder of drive C:.
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
    return {};
}

namespace detail {

bool inspectSaveTarget(const std::string& path, SaveTarget& target) noexcept {
    target = SaveTarget{};
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    target.exists = true;
    target.isDirectory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // Windows refuses to move onto a read-only file, as it refuses to open
    // one for writing; wine would replace it. The attribute decides on both.
    target.writable = (attributes & FILE_ATTRIBUTE_READONLY) == 0;
    return true;
}

bool OpenFile::writeAll(const std::string& bytes) noexcept {
    const char* next = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        DWORD chunk = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!WriteFile(nativeHandle(handle), next, chunk, &written, nullptr) || written == 0) return false;
        next += written;
        left -= written;
    }
    return true;
}

bool OpenFile::sync() noexcept {
    return FlushFileBuffers(nativeHandle(handle)) != 0;
}

bool OpenFile::setPermissions(unsigned) noexcept {
    // A new file takes its folder's inherited access list, the old file's is not copied.
    return true;
}

bool OpenFile::keepAccessOf(const SaveTarget&) noexcept {
    // No groups; the new file's access list is its folder's, as above.
    return true;
}

bool OpenFile::close() noexcept {
    if (handle == INVALID) return true;
    BOOL closed = CloseHandle(nativeHandle(handle));
    handle = INVALID;
    return closed != 0;
}

CreateResult createNewFile(const std::string& path, OpenFile& file) noexcept {
    // No sharing: no one else opens the file while it is written.
    HANDLE created = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created != INVALID_HANDLE_VALUE) {
        file.handle = reinterpret_cast<std::intptr_t>(created);
        return CreateResult::CREATED;
    }
    DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS) return CreateResult::NAME_TAKEN;
    return error == ERROR_ACCESS_DENIED ? CreateResult::REFUSED : CreateResult::FAILED;
}

bool openTruncated(const std::string& path, OpenFile& file) noexcept {
    HANDLE opened =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return false;
    file.handle = reinterpret_cast<std::intptr_t>(opened);
    return true;
}

bool openForAppend(const std::string& path, OpenFile& file) noexcept {
    // Append access alone makes each WriteFile land at the end in one step
    // (the C library's append mode seeks first, which two writers can race);
    // sharing everything lets others read, rewrite or delete the file meanwhile.
    HANDLE opened = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return false;
    file.handle = reinterpret_cast<std::intptr_t>(opened);
    return true;
}

bool moveOnto(const std::string& from, const std::string& to) noexcept {
    // Write-through: the call returns only when the move is on disk.
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void syncFolder(const std::string&) noexcept {
    // MoveFileExA's write-through has done it.
}

void removeFile(const std::string& path) noexcept {
    DeleteFileA(path.c_str());
}

unsigned long currentProcessId() noexcept {
    return GetCurrentProcessId();
}

bool entryExistsAt(const std::string& path) noexcept {
    // Unlike a directory search, the attribute query takes no wildcards, so
    // "C:\*" does not count as existing.
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool isReadableFileAt(const std::string& path) noexcept {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    // Access rights and other processes' share modes are known only by trying.
    OpenFile file;
    file.handle = reinterpret_cast<std::intptr_t>(CreateFileA(path.c_str(), GENERIC_READ,
                                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.isOpen();
}

bool createDirectory(const std::string& path) noexcept {
    // The folder inherits its parent's access list.
    return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

std::string lastErrorText() {
    const DWORD code = GetLastError();
    if (code == ERROR_SUCCESS) return {};
    char* text = nullptr;
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    const LocalMemory<char> ownedText(text);
    std::string result = length ? std::string(text, length) : "error " + std::to_string(code);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == ' ' ||
                               result.back() == '.'))
        result.pop_back();
    return result;
}

}  // namespace detail

}  // namespace mq::platform
