// The prompts that show nothing, choose nothing and answer No, for a process without a window system.
#include "hosting/UserPrompts.h"

namespace mq {

namespace {

class SilentPrompts final : public UserPrompts {
public:
    void showMessage(const std::string&, const std::string&) override {}
    bool askYesNo(const std::string&, const std::string&) override { return false; }
    bool chooseLibraryFile(std::string&) override { return false; }
};

}  // namespace

UserPrompts& silentPrompts() {
    static SilentPrompts prompts;
    return prompts;
}

}  // namespace mq
