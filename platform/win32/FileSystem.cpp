// Windows implementation of the configuration store's folders and files.
#include "platform/FileSystem.h"

#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <string>

namespace mq::platform {

const char PATH_SEPARATOR = '\\';
// MAX_PATH counts the terminating zero.
const std::size_t MAX_PATH_LENGTH = MAX_PATH - 1;
const char* const LINE_END = "\r\n";

namespace {

bool isUsablePath(const std::string& path) {
    return !path.empty() && path.size() <= MAX_PATH_LENGTH && path.find('\0') == std::string::npos;
}

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle(handle) {}
    ~FileHandle() { close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return handle; }
    bool valid() const { return handle != INVALID_HANDLE_VALUE; }
    bool close() {
        if (handle == INVALID_HANDLE_VALUE) return true;
        BOOL closed = CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
        return closed != 0;
    }

private:
    HANDLE handle;
};

// Deletes the file at its path once it has been created, unless it has been
// put in place. It holds the path from before the file exists, so that
// nothing can fail between creating the file and guarding it.
class TemporaryFile {
public:
    TemporaryFile() = default;
    ~TemporaryFile() {
        if (created) DeleteFileA(path.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    std::string path;
    bool created = false;
};

bool writeAll(HANDLE file, const std::string& bytes) {
    const char* next = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        DWORD chunk = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!WriteFile(file, next, chunk, &written, nullptr) || written == 0) return false;
        next += written;
        left -= written;
    }
    return true;
}

// A name beside the target that no other writer, in this process or another, uses.
std::string temporaryNameFor(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    return target + ".tmp" + std::to_string(GetCurrentProcessId()) + "." + std::to_string(counter++);
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

bool entryExists(const std::string& path) noexcept {
    // Unlike a directory search, the attribute query takes no wildcards, so
    // "C:\*" does not count as existing.
    return isUsablePath(path) && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool isReadableFile(const std::string& path) noexcept {
    if (!isUsablePath(path)) return false;
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    // Access rights and other processes' share modes are known only by trying.
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid();
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

bool makeDirectory(const std::string& path) noexcept {
    return isUsablePath(path) && CreateDirectoryA(path.c_str(), nullptr) != 0;
}

bool replaceFileContents(const std::string& target, const std::string& bytes) noexcept {
    try {
        if (!isUsablePath(target)) return false;
        DWORD attributes = GetFileAttributesA(target.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
        // Windows refuses to move onto a read-only file, as it refuses to open
        // one for writing; wine would replace it. Refuse it here on both.
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;

        // Everything that can fail for want of memory happens before the
        // temporary file exists.
        TemporaryFile temporary;
        HANDLE handle = INVALID_HANDLE_VALUE;
        for (int attempt = 0; attempt < 16 && handle == INVALID_HANDLE_VALUE; ++attempt) {
            temporary.path = temporaryNameFor(target);
            if (temporary.path.size() > MAX_PATH_LENGTH) return false;
            handle = CreateFileA(temporary.path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                 nullptr);
            if (handle == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
        }
        FileHandle file(handle);
        if (!file.valid()) return false;
        temporary.created = true;

        if (!writeAll(file.get(), bytes) || !FlushFileBuffers(file.get()) || !file.close()) return false;
        // Write-through: the call returns only when the move is on disk.
        if (!MoveFileExA(temporary.path.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return false;
        temporary.created = false;
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace mq::platform
