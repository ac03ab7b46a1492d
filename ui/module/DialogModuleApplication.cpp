// The configuration process's window system, kept in a module of its own.
//
// The dialog's toolkit is a large library with dependencies of its own; a
// host that loads MultiQuellan must not get it as well. So the dialog lives in
// the module named below, beside this library, and only the configuration
// process loads it. The two meet through the abstract ConfigurationApplication,
// ConfigurationView and UserPrompts classes and one exported factory.
#include "hosting/LibraryHandle.h"
#include "platform/DynamicLibrary.h"
#include "ui/ConfigurationView.h"
#include "ui/DialogModule.h"

#include <memory>

namespace mq {

namespace {

class ModuleApplication final : public ConfigurationApplication {
public:
    ModuleApplication(std::unique_ptr<LibraryHandle> module, ConfigurationApplication* application)
        : module(std::move(module)), application(application) {}

    UserPrompts& prompts() override { return application->prompts(); }
    std::unique_ptr<ConfigurationView> createView() override { return application->createView(); }

private:
    // Declared first: the application's code must stay loaded until it is gone.
    std::unique_ptr<LibraryHandle> module;
    std::unique_ptr<ConfigurationApplication> application;
};

}  // namespace

std::unique_ptr<ConfigurationApplication> createConfigurationApplication(const std::string& commandLine,
                                                                         int showCommand) {
    const std::string library = platform::thisModulePath();
    const std::string path = library.substr(0, library.find_last_of('/') + 1) + DIALOG_MODULE_NAME;
    auto module = std::make_unique<LibraryHandle>();
    if (!module->reload(path)) return nullptr;
    auto create = reinterpret_cast<CreateDialogApplication>(module->resolve(DIALOG_MODULE_FACTORY));
    if (!create) return nullptr;
    ConfigurationApplication* application = create(commandLine.c_str(), showCommand);
    if (!application) return nullptr;
    return std::make_unique<ModuleApplication>(std::move(module), application);
}

}  // namespace mq
