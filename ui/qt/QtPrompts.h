// Message boxes and the open-file dialog of the configuration process, with Qt Widgets.
#pragma once

#include "hosting/UserPrompts.h"

namespace mq {

class QtPrompts final : public UserPrompts {
public:
    // A QMessageBox with an OK button only.
    void showMessage(const std::string& text, const std::string& caption) override;
    // A QFileDialog for one existing library file.
    bool askYesNo(const std::string& question, const std::string& caption) override;
    bool chooseLibraryFile(std::string& path) override;
};

}  // namespace mq
