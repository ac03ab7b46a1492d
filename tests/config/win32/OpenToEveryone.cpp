// Lets everyone change a folder on Windows: an access list granting Everyone all, the old one put back.
#include "../OpenToEveryone.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

namespace mq::test {

namespace {

bool setAccessList(const std::string& folder, const char* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr))
        return false;
    BOOL present = FALSE, defaulted = FALSE;
    PACL accessList = nullptr;
    bool set = GetSecurityDescriptorDacl(descriptor, &present, &accessList, &defaulted) &&
               SetNamedSecurityInfoA(const_cast<char*>(folder.c_str()), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                     nullptr, nullptr, accessList, nullptr) == ERROR_SUCCESS;
    LocalFree(descriptor);
    return set;
}

}  // namespace

OpenToEveryone::OpenToEveryone(const std::string& folder) : folder(folder) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoA(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                              nullptr, &descriptor) != ERROR_SUCCESS)
        return;
    char* text = nullptr;
    if (ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                             &text, nullptr)) {
        std::string before = text;
        LocalFree(text);
        if (setAccessList(folder, "D:(A;OICI;FA;;;WD)")) saved = before;
    }
    LocalFree(descriptor);
}

OpenToEveryone::~OpenToEveryone() {
    if (opened()) setAccessList(folder, saved.c_str());
}

}  // namespace mq::test
