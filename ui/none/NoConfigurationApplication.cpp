// Builds without a window system: the configuration process shows nothing and changes nothing.
#include "ui/ConfigurationView.h"

namespace mq {

std::unique_ptr<ConfigurationApplication> createConfigurationApplication(const std::string&, int) {
    return nullptr;
}

}  // namespace mq
