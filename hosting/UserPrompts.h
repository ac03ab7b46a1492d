// What the configuration process asks of, and tells, the person at the screen.
#pragma once

#include <string>

namespace mq {

// The configuration dialog and the child objects speak to the user only
// through this, so that tests can answer in place of a person. Inside the
// host process nothing is ever shown: the default prompts stay silent.
class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    // A message box with an OK button; returns when the user has closed it.
    // An empty caption leaves the platform's default caption.
    virtual void showMessage(const std::string& text, const std::string& caption) = 0;

    // A question with Yes and No buttons, No the default; true only for Yes.
    virtual bool askYesNo(const std::string& question, const std::string& caption) = 0;

    // The open-file dialog for a child library. False when the user cancels.
    virtual bool chooseLibraryFile(std::string& path) = 0;
};

// Prompts that show nothing, choose nothing and answer No.
UserPrompts& silentPrompts();

}  // namespace mq
