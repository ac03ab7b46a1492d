// The contract between MultiQuellan and a dialog module that holds the
// configuration dialog's window system.
#pragma once

namespace mq {

class ConfigurationApplication;

// The module's file, beside the library.
constexpr const char* DIALOG_MODULE_NAME = "MultiQuellanDialog" MQ_LIBRARY_SUFFIX;

// Its one export: a new ConfigurationApplication for the runner's command
// line and show command, owned by the caller; null when the window system
// cannot be set up.
constexpr const char* DIALOG_MODULE_FACTORY = "multiquellan_createDialogApplication";
using CreateDialogApplication = ConfigurationApplication* (*)(const char* commandLine, int showCommand);

}  // namespace mq
