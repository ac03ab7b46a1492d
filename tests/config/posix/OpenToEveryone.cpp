// Lets everyone change a folder on Linux: mode 0777, the old mode put back.
#include "../OpenToEveryone.h"

#include <sys/stat.h>

namespace mq::test {

OpenToEveryone::OpenToEveryone(const std::string& folder) : folder(folder) {
    struct stat status{};
    if (::stat(folder.c_str(), &status) == 0 && ::chmod(folder.c_str(), 0777) == 0)
        saved = std::to_string(status.st_mode & 07777);
}

OpenToEveryone::~OpenToEveryone() {
    if (opened()) ::chmod(folder.c_str(), static_cast<mode_t>(std::stoul(saved)));
}

}  // namespace mq::test
