// Message boxes and the open-file dialog of the configuration process on Windows.
#pragma once

#include "hosting/UserPrompts.h"

#include <windows.h>

namespace mq {

class Win32Prompts final : public UserPrompts {
public:
    void showMessage(const std::string& text, const std::string& caption) override;
    bool askYesNo(const std::string& question, const std::string& caption) override;
    bool chooseLibraryFile(std::string& path) override;

    // The window that owns the prompts while it exists: the dialog, so that
    // a prompt stays in front of it and the dialog waits for the answer.
    void setOwner(HWND window) { owner = window; }
    HWND currentOwner() const { return owner; }

private:
    HWND owner = nullptr;
};

}  // namespace mq
