// Filling the configuration record from the machine's configuration file.
#include "config/ConfigurationRecord.h"

#include "config/ConfigurationFilePath.h"
#include "config/ConfigurationFileReader.h"
#include "config/ModulePrefix.h"

namespace mq {

void loadConfiguration(ConfigurationRecord& record) noexcept {
    record.configurationPath.clear();
    record.childPaths.clear();
    setModulePrefix(MODULE_NAME);
    try {
        record.configurationPath = configurationFilePath();
    } catch (...) {
        return;
    }
    record.childPaths = readConfigurationFile(record.configurationPath);
}

}  // namespace mq
