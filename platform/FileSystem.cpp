// The configuration store's file functions that are the same on every platform.
#include "platform/FileSystem.h"

#include "platform/FileSystemPrimitives.h"
#include "platform/ScopeExit.h"

#include <atomic>
#include <fstream>
#include <iterator>
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

enum class SaveResult { SAVED, FOLDER_REFUSED, FAILED };

// Inspects `target` for a save: false for an entry that cannot be looked at
// or a directory, and for a file the saver may not write, since the file's
// own rights decide, not its folder's: a rename would replace a file that its
// user may not write.
bool inspectForSave(const std::string& target, detail::SaveTarget& old) noexcept {
    return isUsablePath(target) && detail::inspectSaveTarget(target, old) && !old.isDirectory &&
           (!old.exists || old.writable);
}

bool readWholeFile(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// The save's steps for a target that passed inspectForSave as `old`; the new
// file gets the group and permissions of `access`. FOLDER_REFUSED, with
// nothing written, when the folder refuses new files and there is no old
// file to rewrite in place.
SaveResult saveFile(const std::string& target, const std::string& bytes, const detail::SaveTarget& old,
                    const detail::SaveTarget& access) noexcept {
    try {
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
            if (temporaryPath.size() > MAX_PATH_LENGTH) return SaveResult::FAILED;
            created = detail::createNewFile(temporaryPath, file);
        }
        if (created == detail::CreateResult::REFUSED) {
            if (!old.exists) return SaveResult::FOLDER_REFUSED;
            return rewriteInPlace(target, bytes) ? SaveResult::SAVED : SaveResult::FAILED;
        }
        if (created != detail::CreateResult::CREATED) return SaveResult::FAILED;
        auto removeTemporary = ScopeExit([&temporaryPath] { detail::removeFile(temporaryPath); });

        // A file that keeps its creator-only permissions is still safe, so
        // failing to widen them does not stop the save.
        (void)file.keepAccessOf(access);
        if (!writeWhole(file, bytes) || !detail::moveOnto(temporaryPath, target)) return SaveResult::FAILED;
        removeTemporary.release();

        // The file is in place by now, so a failure here does not undo the save.
        detail::syncFolder(folder);
        return SaveResult::SAVED;
    } catch (...) {
        return SaveResult::FAILED;
    }
}

bool replaceFileContents(const std::string& target, const std::string& bytes) noexcept {
    detail::SaveTarget old;
    return inspectForSave(target, old) && saveFile(target, bytes, old, old) == SaveResult::SAVED;
}

bool appendToFile(const std::string& path, const std::string& bytes) noexcept {
    detail::OpenFile file;
    return detail::openForAppend(path, file) && file.writeAll(bytes) && file.close();
}

bool keepBackup(const std::string& target, const std::string& backup) noexcept {
    try {
        detail::SaveTarget old, oldBackup;
        if (!inspectForSave(target, old)) return false;
        if (!old.exists) return true;
        std::string bytes;
        if (!readWholeFile(target, bytes) || !inspectForSave(backup, oldBackup)) return false;
        return saveFile(backup, bytes, oldBackup, old) != SaveResult::FAILED;
    } catch (...) {
        return false;
    }
}

}  // namespace mq::platform
