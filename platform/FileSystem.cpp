// The configuration store's file functions that are the same on every platform.
#include "platform/FileSystem.h"

#include "platform/FileSystemPrimitives.h"
#include "platform/ScopeExit.h"

#include <atomic>
#include <string>

namespace mq::platform {

namespace {

// Enough attempts that only a writer taking every name on purpose makes the save fail.
constexpr int TEMPORARY_NAME_ATTEMPTS = 16;

// The platform's functions would see a shortened or a different path.
bool isUsablePath(const std::string& path) noexcept {
    return !path.empty() && path.size() <= MAX_PATH_LENGTH && path.find('\0') == std::string::npos;
}

// A name beside the target that no other writer, in this process or another, uses.
std::string temporaryNameFor(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    return target + ".tmp" + std::to_string(detail::currentProcessId()) + "." + std::to_string(counter++);
}

bool writeWhole(detail::OpenFile& file, const std::string& bytes) noexcept {
    return file.writeAll(bytes) && file.sync() && file.close();
}

// For a folder that refuses new files around a file its user may write. The
// file keeps its identity, owner and permissions, but the save is no longer
// one step: a failure or a crash part way leaves it short or empty.
bool rewriteInPlace(const std::string& target, const std::string& bytes) noexcept {
    detail::OpenFile file;
    return detail::openTruncated(target, file) && writeWhole(file, bytes);
}

}  // namespace

bool entryExists(const std::string& path) noexcept {
    return isUsablePath(path) && detail::entryExistsAt(path);
}

bool isReadableFile(const std::string& path) noexcept {
    return isUsablePath(path) && detail::isReadableFileAt(path);
}

bool makeDirectory(const std::string& path) noexcept {
    return isUsablePath(path) && detail::createDirectory(path);
}

bool replaceFileContents(const std::string& target, const std::string& bytes) noexcept {
    try {
        if (!isUsablePath(target)) return false;
        detail::SaveTarget old;
        if (!detail::inspectSaveTarget(target, old) || old.isDirectory) return false;
        // The file's own rights decide, not its folder's: a rename would
        // replace a file that its user may not write.
        if (old.exists && !old.writable) return false;

        // Everything that can fail for want of memory happens before the
        // temporary file exists or after the save is complete.
        std::string folder = parentFolder(target);
        if (folder.empty()) folder = ".";
        std::string temporaryPath;
        detail::OpenFile file;
        detail::CreateResult created = detail::CreateResult::NAME_TAKEN;
        for (int attempt = 0; attempt < TEMPORARY_NAME_ATTEMPTS && created == detail::CreateResult::NAME_TAKEN;
             ++attempt) {
            temporaryPath = temporaryNameFor(target);
            if (temporaryPath.size() > MAX_PATH_LENGTH) return false;
            created = detail::createNewFile(temporaryPath, file);
        }
        if (created == detail::CreateResult::REFUSED && old.exists) return rewriteInPlace(target, bytes);
        if (created != detail::CreateResult::CREATED) return false;
        auto removeTemporary = ScopeExit([&temporaryPath] { detail::removeFile(temporaryPath); });

        // A file that keeps its creator-only permissions is still safe, so
        // failing to widen them does not stop the save.
        (void)file.keepAccessOf(old);
        if (!writeWhole(file, bytes) || !detail::moveOnto(temporaryPath, target)) return false;
        removeTemporary.release();

        // The file is in place by now, so a failure here does not undo the save.
        detail::syncFolder(folder);
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace mq::platform
