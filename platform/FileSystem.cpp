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

// Gives false, and where a reason is asked for, `reason` with the system's
// words for the last error after it.
bool fail(std::string* why, const std::string& reason, bool withSystemWords = true) noexcept {
    try {
        if (why) {
            const std::string words = withSystemWords ? detail::lastErrorText() : std::string();
            *why = words.empty() ? reason : reason + " (" + words + ")";
        }
    } catch (...) {
        // No memory for the words: the caller still learns of the failure.
    }
    return false;
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
bool inspectForSave(const std::string& target, detail::SaveTarget& old, std::string* why) noexcept {
    if (!isUsablePath(target)) return fail(why, "the path is empty, too long or holds a zero byte", false);
    if (!detail::inspectSaveTarget(target, old)) return fail(why, "it cannot be looked at");
    if (old.isDirectory) return fail(why, "it is a folder", false);
    if (old.exists && !old.writable) return fail(why, "this user may not write it", false);
    return true;
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
                    const detail::SaveTarget& access, std::string* why) noexcept {
    const auto failed = [why](const char* reason, bool withSystemWords = true) {
        fail(why, reason, withSystemWords);
        return SaveResult::FAILED;
    };
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
            if (temporaryPath.size() > MAX_PATH_LENGTH) return failed("the path is too long", false);
            created = detail::createNewFile(temporaryPath, file);
        }
        if (created == detail::CreateResult::REFUSED) {
            if (!old.exists) {
                fail(why, "the folder does not let this user create files");
                return SaveResult::FOLDER_REFUSED;
            }
            return rewriteInPlace(target, bytes) ? SaveResult::SAVED : failed("it could not be rewritten");
        }
        if (created == detail::CreateResult::NAME_TAKEN)
            return failed("every temporary name beside it is taken", false);
        if (created != detail::CreateResult::CREATED) return failed("no new file could be made beside it");
        auto removeTemporary = ScopeExit([&temporaryPath] { detail::removeFile(temporaryPath); });

        // A file that keeps its creator-only permissions is still safe, so
        // failing to widen them does not stop the save.
        (void)file.keepAccessOf(access);
        if (!writeWhole(file, bytes)) return failed("the new contents could not be written");
        if (!detail::moveOnto(temporaryPath, target)) return failed("the new file could not be put in its place");
        removeTemporary.release();

        // The file is in place by now, so a failure here does not undo the save.
        detail::syncFolder(folder);
        return SaveResult::SAVED;
    } catch (...) {
        return failed("memory ran out", false);
    }
}

bool replaceFileContents(const std::string& target, const std::string& bytes, std::string* why) noexcept {
    detail::SaveTarget old;
    return inspectForSave(target, old, why) && saveFile(target, bytes, old, old, why) == SaveResult::SAVED;
}

bool appendToFile(const std::string& path, const std::string& bytes) noexcept {
    detail::OpenFile file;
    return detail::openForAppend(path, file) && file.writeAll(bytes) && file.close();
}

bool keepBackup(const std::string& target, const std::string& backup, std::string* why) noexcept {
    try {
        detail::SaveTarget old, oldBackup;
        if (!inspectForSave(target, old, why)) return false;
        if (!old.exists) return true;
        std::string bytes;
        if (!readWholeFile(target, bytes)) return fail(why, "it cannot be read to keep a backup");
        std::string backupWhy;
        if (!inspectForSave(backup, oldBackup, &backupWhy) ||
            saveFile(backup, bytes, oldBackup, old, &backupWhy) == SaveResult::FAILED)
            return fail(why, "its backup " + backup + " cannot be written: " + backupWhy, false);
        return true;
    } catch (...) {
        return fail(why, "memory ran out", false);
    }
}

}  // namespace mq::platform
