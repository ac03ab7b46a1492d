// The configuration process's window system on Windows: common controls,
// message boxes, the open-file dialog and the dialog view.
#include "platform/DynamicLibrary.h"
#include "ui/ConfigurationView.h"
#include "ui/win32/Win32ConfigurationView.h"
#include "ui/win32/Win32Prompts.h"

#include <windows.h>
#include <commctrl.h>

namespace mq {

namespace {

class Win32ConfigurationApplication final : public ConfigurationApplication {
public:
    UserPrompts& prompts() override { return messages; }

    std::unique_ptr<ConfigurationView> createView() override {
        // The dialog's resources are linked into the module that holds this
        // code (the plug-in), not into the program that loaded it.
        return std::make_unique<Win32ConfigurationView>(static_cast<HINSTANCE>(platform::thisModule()), &messages);
    }

private:
    Win32Prompts messages;
};

}  // namespace

std::unique_ptr<ConfigurationApplication> createConfigurationApplication(const std::string&, int) {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES;
    if (!InitCommonControlsEx(&controls)) return nullptr;
    return std::make_unique<Win32ConfigurationApplication>();
}

}  // namespace mq
