// Windows facts of ownership: an entry's owner and access list, by name or on a held handle; the process token's rights.
#include "platform/FileOwnership.h"

#include <windows.h>
#include <aclapi.h>

#include "platform/win32/OwnedHandle.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace mq::platform {

namespace {

// This process's token, or null when it cannot be opened.
OwnedHandle processToken() {
    HANDLE token = nullptr;
    return OwnedHandle(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) ? token : nullptr);
}

// TrustedInstaller's service SID, S-1-5-80-956008885-3418522649-1831038044-
// 1853292631-2271478464, which no well-known SID constant names.
bool isTrustedInstaller(PSID sid) {
    static const DWORD SUB_AUTHORITIES[] = {80, 956008885, 3418522649, 1831038044, 1853292631, 2271478464};
    static const BYTE NT_AUTHORITY[6] = {0, 0, 0, 0, 0, 5};
    if (*GetSidSubAuthorityCount(sid) != 6) return false;
    const SID_IDENTIFIER_AUTHORITY* authority = GetSidIdentifierAuthority(sid);
    for (int i = 0; i < 6; ++i)
        if (authority->Value[i] != NT_AUTHORITY[i]) return false;
    for (DWORD i = 0; i < 6; ++i)
        if (*GetSidSubAuthority(sid, i) != SUB_AUTHORITIES[i]) return false;
    return true;
}

enum class TokenRights { ADMINISTRATOR, USER, UNKNOWN };

// Whether the token's administrator rights are in force: it is elevated, or
// it holds Administrators enabled (without UAC an administrator's token is
// not marked elevated; a filtered token holds the group for denying only).
TokenRights rightsOf(HANDLE token) {
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size)) return TokenRights::UNKNOWN;
    if (elevation.TokenIsElevated) return TokenRights::ADMINISTRATOR;
    alignas(SID) BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof administrators;
    BOOL member = FALSE;
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &sidSize) ||
        !CheckTokenMembership(nullptr, administrators, &member))
        return TokenRights::UNKNOWN;
    return member ? TokenRights::ADMINISTRATOR : TokenRights::USER;
}

// The user a token stands for.
class UserOfToken {
public:
    UserOfToken() = default;
    explicit UserOfToken(HANDLE token) { read(token); }
    void read(HANDLE token) {
        DWORD size = 0;
        known = GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size) != 0;
    }
    PSID sid() const { return known ? reinterpret_cast<const TOKEN_USER*>(buffer)->User.Sid : nullptr; }

private:
    alignas(TOKEN_USER) BYTE buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE] = {};
    bool known = false;
};

// The user this process runs as, when its administrator rights are in force.
class AdministratorUser {
public:
    AdministratorUser() {
        if (token && rightsOf(token.get()) == TokenRights::ADMINISTRATOR) user.read(token.get());
    }
    // Null unless the process runs with administrator rights.
    PSID sid() const { return user.sid(); }

private:
    OwnedHandle token = processToken();
    UserOfToken user;
};

// Administrators, LocalSystem and TrustedInstaller, and the administrator
// this process runs as: what such a process wrote itself is as much its own
// as what it wrote through the Administrators group.
bool isAdministrative(PSID sid, PSID ownAdministrator) {
    return IsValidSid(sid) &&
           (IsWellKnownSid(sid, WinBuiltinAdministratorsSid) || IsWellKnownSid(sid, WinLocalSystemSid) ||
            isTrustedInstaller(sid) || (ownAdministrator && EqualSid(sid, ownAdministrator)));
}

// Rights that change an entry's contents, its folder's entries or who may
// change them. Attributes and extended attributes are left out: they change
// neither what a host reads nor who may write it.
constexpr ACCESS_MASK CHANGING_RIGHTS = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD | DELETE | WRITE_DAC |
                                        WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL | MAXIMUM_ALLOWED;

// Whether an allowing entry of the access list gives changing rights to
// someone who is not an administrator. Denying entries are not weighed: the
// rule is kept simple and errs towards "writable".
bool grantsOthers(const ACE_HEADER* ace, PSID ownAdministrator, bool ownerIsAdministrative, ACCESS_MASK changing) {
    // An entry only passed on to children does not apply to the entry itself.
    if (ace->AceFlags & INHERIT_ONLY_ACE) return false;
    switch (ace->AceType) {
    case ACCESS_ALLOWED_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_ACE_TYPE: {
        // Both start with the header, the mask and the SID.
        const auto* allowed = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(ace);
        if (!(allowed->Mask & changing)) return false;
        PSID sid = const_cast<DWORD*>(&allowed->SidStart);
        if (isAdministrative(sid, ownAdministrator)) return false;
        // "OWNER RIGHTS" stands for whoever owns the entry.
        return !(ownerIsAdministrative && IsWellKnownSid(sid, WinCreatorOwnerRightsSid));
    }
    case ACCESS_ALLOWED_OBJECT_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE:
    case ACCESS_ALLOWED_COMPOUND_ACE_TYPE:
        // The mask follows the header in every entry; the SID's place varies.
        return (reinterpret_cast<const ACCESS_ALLOWED_ACE*>(ace)->Mask & changing) != 0;
    default:
        return false;
    }
}

// Who owns the entry a descriptor describes and whether others hold any of the `changing` rights.
bool ownershipOf(PSID owner, PACL accessList, ACCESS_MASK changing, EntryOwnership& ownership) {
    AdministratorUser self;
    ownership.ownedByAdministrator = owner && isAdministrative(owner, self.sid());
    // No access list at all lets everyone do everything.
    bool writable = accessList == nullptr;
    for (DWORD i = 0; !writable && accessList && i < accessList->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(accessList, i, &ace)) return false;
        writable = grantsOthers(static_cast<const ACE_HEADER*>(ace), self.sid(), ownership.ownedByAdministrator,
                                changing);
    }
    ownership.writableByOthers = writable;
    return true;
}

// The entry behind a held handle is an administrator's alone. A folder above
// the file's own may let others add entries (create files, create folders):
// they still cannot remove or rename those of others, as on the volume root.
bool onlyAdministratorsChange(HANDLE handle, bool addingWillDo) {
    PSID owner = nullptr;
    PACL accessList = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                        nullptr, &accessList, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    const LocalMemory<void> ownedDescriptor(descriptor);
    const ACCESS_MASK changing = addingWillDo ? CHANGING_RIGHTS & ~(FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY) : CHANGING_RIGHTS;
    EntryOwnership ownership;
    return ownershipOf(owner, accessList, changing, ownership) && ownership.ownedByAdministrator &&
           !ownership.writableByOthers;
}

struct FileHandleCloser {
    void operator()(HANDLE handle) const {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
};
// A file or folder handle, which the file functions give as INVALID_HANDLE_VALUE on failure.
using OwnedFileHandle = std::unique_ptr<void, FileHandleCloser>;

bool isLink(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION information{};
    return !GetFileInformationByHandle(handle, &information) ||
           (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool isMissing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace

bool entryOwnership(const std::string& path, EntryOwnership& ownership) noexcept {
    if (path.find('\0') != std::string::npos) return false;
    PSID owner = nullptr;
    PACL accessList = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              &owner, nullptr, &accessList, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    // The owner and the access list point into the descriptor.
    const LocalMemory<void> ownedDescriptor(descriptor);
    return ownershipOf(owner, accessList, CHANGING_RIGHTS, ownership);
}

AdministeredFile readAdministeredFile(const std::string& path) noexcept {
    AdministeredFile file;
    try {
        file.state = AdministeredFile::State::UNREADABLE;
        auto refuse = [&](const std::string& entry) {
            if (file.openToOthers.empty()) file.openToOthers = entry;
        };
        // A drive's path only: "X:\" and the parts below it.
        const bool drivePath = path.size() > 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/') &&
                               path.find('\0') == std::string::npos;
        std::vector<std::string> parts;
        for (std::size_t start = 3; drivePath && start <= path.size();) {
            std::size_t end = path.find_first_of("\\/", start);
            if (end == std::string::npos) end = path.size();
            if (end > start) parts.push_back(path.substr(start, end - start));
            start = end + 1;
        }
        bool dotted = false;
        for (const std::string& part : parts) dotted = dotted || part == "." || part == "..";
        if (!drivePath || parts.empty() || dotted) {
            refuse(path);
            return file;
        }

        // Every folder stays open, without sharing the right to delete, until
        // the file is read: none can be renamed or removed meanwhile, so each
        // path below leads through the folders already looked at.
        std::vector<OwnedFileHandle> held;
        std::string reached = path.substr(0, 3);
        // Opens a folder of the chain, to be held.
        auto openFolder = [](const std::string& folder) {
            return OwnedFileHandle(CreateFileA(folder.c_str(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                               nullptr, OPEN_EXISTING,
                                               FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        };
        held.push_back(openFolder(reached));
        if (held.back().get() == INVALID_HANDLE_VALUE) return file;
        if (!onlyAdministratorsChange(held.back().get(), parts.size() > 1)) refuse(reached);
        for (std::size_t k = 0; k + 1 < parts.size(); ++k) {
            reached += (k == 0 ? "" : "\\") + parts[k];
            OwnedFileHandle folder = openFolder(reached);
            if (folder.get() == INVALID_HANDLE_VALUE) {
                if (isMissing(GetLastError())) file.state = AdministeredFile::State::MISSING;
                return file;
            }
            held.push_back(std::move(folder));
            // A junction or link leads elsewhere than the path says. Only the
            // file's own folder must not let others add entries.
            if (isLink(held.back().get()) || !onlyAdministratorsChange(held.back().get(), k + 2 < parts.size()))
                refuse(reached);
        }

        // Shared for reading only: no one writes or replaces it while it is read.
        OwnedFileHandle opened(CreateFileA(path.c_str(), GENERIC_READ | READ_CONTROL, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (opened.get() == INVALID_HANDLE_VALUE) {
            if (isMissing(GetLastError())) file.state = AdministeredFile::State::MISSING;
            return file;
        }
        if (isLink(opened.get()) || !onlyAdministratorsChange(opened.get(), false)) refuse(path);
        std::string text;
        char buffer[8192];
        for (;;) {
            DWORD got = 0;
            if (!ReadFile(opened.get(), buffer, sizeof buffer, &got, nullptr)) return file;
            if (got == 0) break;
            text.append(buffer, got);
        }
        file.text = std::move(text);
        file.state = AdministeredFile::State::READ;
    } catch (...) {
        file.state = AdministeredFile::State::UNREADABLE;
        file.text.clear();
    }
    return file;
}

bool isPrivilegedProcess() noexcept {
    const OwnedHandle token = processToken();
    // A process that cannot tell is taken as privileged, so that the
    // stricter rule applies.
    if (!token) return true;
    if (rightsOf(token.get()) != TokenRights::USER) return true;
    UserOfToken user(token.get());
    return !user.sid() || IsWellKnownSid(user.sid(), WinLocalSystemSid);
}

}  // namespace mq::platform
