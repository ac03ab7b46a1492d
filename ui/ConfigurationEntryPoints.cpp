// The two configuration entry points of the interface.
#include "config/ConfigurationRecord.h"
#include "interface/ExportGuard.h"
#include "interface/StringObject.h"
#include "platform/DynamicLibrary.h"
#include "platform/Process.h"
#include "ui/ConfigurationView.h"
#include "ui/MultiQuellanConfig.h"

using namespace mq;

extern "C" {

// The dialog runs in a process of its own, started through the platform's
// runner, which calls UpdateConfiguration there; the host waits for it. The
// new configuration text is always empty: the list lives in the file.
QUELLAN2_STATUS QUELLAN2_CALL quellan2_updateConfiguration(const char* configuration,
                                                           QUELLAN2_STRING* newConfiguration) {
    if (!configuration || !newConfiguration) return QUELLAN2_STATUS_INVALID_PARAMETER;
    return guardExport([&] {
        // A process that cannot be started is not the host's concern.
        platform::runLibraryEntry(platform::thisModulePath(), "UpdateConfiguration");
        *newConfiguration = newStringHandle(std::string());
        return QUELLAN2_STATUS_OK;
    });
}

void QUELLAN2_CALL UpdateConfiguration(void*, void*, char* commandLine, int show) {
    try {
        auto application = createConfigurationApplication(commandLine ? commandLine : "", show);
        if (!application) return;
        ConfigurationRecord record;
        loadConfiguration(record, ConfigurationUse::EDIT);
        auto view = application->createView();
        editAndSaveConfiguration(record, application->prompts(), *view);
    } catch (...) {
        // Nothing may reach the runner; the process simply ends.
    }
}

}  // extern "C"
