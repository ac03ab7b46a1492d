// Composing the configuration file's path from the data folder and the module prefix.
#include "config/ConfigurationFilePath.h"

#include "config/DataFolder.h"
#include "config/ModulePrefix.h"
#include "platform/FileSystem.h"

namespace mq {

std::string configurationFilePath() {
    // "%1%<separator>%2%Configuration.xml", put together without a formatting
    // stream: a stream would swallow a failed allocation and give a cut-short path.
    return dataFolder() + platform::PATH_SEPARATOR + modulePrefix() + CONFIGURATION_FILE_SUFFIX;
}

}  // namespace mq
