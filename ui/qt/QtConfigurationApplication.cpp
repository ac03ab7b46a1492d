// The configuration process's window system: Qt Widgets.
#include "platform/DynamicLibrary.h"
#include "ui/ConfigurationView.h"
#include "ui/qt/QtConfigurationView.h"
#include "ui/qt/QtPrompts.h"

#include <QApplication>

#include <sstream>
#include <vector>

namespace mq {

namespace {

class QtConfigurationApplication final : public ConfigurationApplication {
public:
    explicit QtConfigurationApplication(const std::string& commandLine) {
        // QApplication keeps argc and argv for its whole life, so they live
        // here: the program, then the runner's command line split at blanks.
        arguments.push_back(platform::executablePath());
        std::istringstream words(commandLine);
        for (std::string word; words >> word;) arguments.push_back(word);
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        argc = static_cast<int>(arguments.size());
        // A runner that made its own application keeps it; there can be only one.
        if (!QApplication::instance()) ownApplication = std::make_unique<QApplication>(argc, argv.data());
    }

    UserPrompts& prompts() override { return qtPrompts; }
    std::unique_ptr<ConfigurationView> createView() override { return std::make_unique<QtConfigurationView>(); }

private:
    std::vector<std::string> arguments;
    std::vector<char*> argv;
    int argc = 0;
    std::unique_ptr<QApplication> ownApplication;
    QtPrompts qtPrompts;
};

}  // namespace

std::unique_ptr<ConfigurationApplication> createConfigurationApplication(const std::string& commandLine, int) {
    return std::make_unique<QtConfigurationApplication>(commandLine);
}

}  // namespace mq
