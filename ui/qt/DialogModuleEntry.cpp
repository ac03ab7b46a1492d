// The dialog module's one export.
#include "ui/ConfigurationView.h"
#include "ui/DialogModule.h"

extern "C" __attribute__((visibility("default"))) mq::ConfigurationApplication*
multiquellan_createDialogApplication(const char* commandLine, int showCommand) {
    try {
        return mq::createConfigurationApplication(commandLine ? commandLine : "", showCommand).release();
    } catch (...) {
        return nullptr;
    }
}
